#include "window/application.h"

#include "dialogs/appmessagebox.h"
#include "support/pictures.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstring>
#include <exception>

namespace {

// Texts of Qt that its Russian catalog lacks: the kind of an entry in the folder chooser.
class MissingQtTexts final : public QTranslator
{
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (std::strcmp(context, "QAbstractFileIconProvider") != 0)
            return QString();
        static const struct
        {
            const char* source;
            const char16_t* text;
        } texts[] = {{"Folder", u"Папка"},      {"File Folder", u"Папка"}, {"Drive", u"Диск"},
                     {"File", u"Файл"},         {"Shortcut", u"Ярлык"},    {"Alias", u"Псевдоним"},
                     {"Unknown", u"Неизвестно"}};
        for (const auto& text : texts) {
            if (std::strcmp(source, text.source) == 0)
                return QString::fromUtf16(text.text);
        }
        return QString();
    }
};

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Lectoria"));
    setDesktopFileName(QStringLiteral("lectoria")); // the menu entry the package installs
    setWindowIcon(Pictures::appIcon());
    installRussianTexts();
}

bool Application::installRussianTexts()
{
    if (QLocale().language() != QLocale::Russian)
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool loaded = true;
    for (const QString& catalog : {QStringLiteral("qtbase_ru"), QStringLiteral("qtwebengine_ru")}) {
        auto* translator = new QTranslator(QCoreApplication::instance());
        if (translator->load(catalog, folder)) {
            QCoreApplication::installTranslator(translator);
        } else {
            delete translator;
            loaded = false;
        }
    }
    QCoreApplication::installTranslator(new MissingQtTexts(QCoreApplication::instance()));
    return loaded;
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showException(QString());
    }
    return false;
}

void Application::showException(const QString& message)
{
    AppMessageBox::show(activeWindow(), QStringLiteral("Просмотр нормативной документации"),
                        message, QMessageBox::Critical);
}
