#include "statustexts.h"

#include "russianplural.h"

#include <QDir>

namespace StatusTexts {

QString notInTree(const QString& path)
{
    return QStringLiteral("Документа нет в дереве: ") + QDir::toNativeSeparators(path);
}

QString copied(int documents, const QString& targetFolder)
{
    return QStringLiteral("Скопировано: %1 в %2")
        .arg(RussianPlural::counted(documents, QStringLiteral("документ"),
                                    QStringLiteral("документа"), QStringLiteral("документов")),
             QDir::toNativeSeparators(targetFolder));
}

} // namespace StatusTexts

QString StatusTexts::pdfWithoutText(int documents)
{
    return RussianPlural::counted(documents, QStringLiteral("документ PDF"),
                                  QStringLiteral("документа PDF"),
                                  QStringLiteral("документов PDF")) +
           (documents % 10 == 1 && documents % 100 != 11
                ? QStringLiteral(" без текста не просмотрен")
                : QStringLiteral(" без текста не просмотрены"));
}

QString StatusTexts::asFragment(int documents)
{
    return QStringLiteral("Как фрагмент: ") +
           RussianPlural::counted(documents, QStringLiteral("документ"),
                                  QStringLiteral("документа"), QStringLiteral("документов"));
}
