#include "support/statustexts.h"

#include "text/russianplural.h"

#include <QDir>

namespace StatusTexts {

QString documentsCounted(qint64 documents, const QString& after)
{
    return RussianPlural::counted(documents, QStringLiteral("документ") + after,
                                  QStringLiteral("документа") + after,
                                  QStringLiteral("документов") + after);
}

QString notInTree(const QString& path)
{
    return QStringLiteral("Документа нет в дереве: ") + QDir::toNativeSeparators(path);
}

QString settingsNotKept(const QString& file)
{
    return QStringLiteral("Настройки не удастся сохранить: папка настроек недоступна для записи. "
                          "Программа работает с настройками из файла\n") +
           QDir::toNativeSeparators(file);
}

QString copied(int documents, const QString& targetFolder)
{
    return QStringLiteral("Скопировано: %1 в %2")
        .arg(documentsCounted(documents), QDir::toNativeSeparators(targetFolder));
}

QString pdfWithoutText(int documents)
{
    return documentsCounted(documents, QStringLiteral(" PDF")) +
           RussianPlural::form(documents, QStringLiteral(" без текста не просмотрен"),
                               QStringLiteral(" без текста не просмотрены"),
                               QStringLiteral(" без текста не просмотрены"));
}

QString asFragment(int documents)
{
    return QStringLiteral("Как фрагмент: ") + documentsCounted(documents);
}

} // namespace StatusTexts
