#include "viewer/documentpage.h"

#include <QDir>
#include <QMutex>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <functional>
#include <utility>

namespace {

QString folderPrefix(const QString& folder)
{
    QString clean = QDir::cleanPath(folder);
    if (!clean.endsWith(u'/'))
        clean += u'/';
    return clean;
}

} // namespace

// Decides every request a page makes: nothing that could reach the network (pictures, style
// sheets, frames, fonts, redirects), and of local files only those of the allowed folders.
// The page's own address was vetted as a navigation already.
class DocumentPage::RequestFilter final : public QWebEngineUrlRequestInterceptor
{
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;

    void interceptRequest(QWebEngineUrlRequestInfo& info) override
    {
        const QUrl url = info.requestUrl();
        if (!DocumentPage::isLocalScheme(url.scheme()))
            info.block(true);
        else if (url.isLocalFile() &&
                 info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
                 !isAllowedFile(url))
            info.block(true);
    }
    void setAllowedFolders(const QStringList& folders)
    {
        QStringList prefixes;
        for (const QString& folder : folders) {
            if (!folder.isEmpty())
                prefixes.append(folderPrefix(folder));
        }
        const QMutexLocker lock(&m_mutex);
        m_allowedFolders = prefixes;
    }
    bool isAllowedFile(const QUrl& url) const
    {
        if (!url.isLocalFile())
            return false;
        // The clean path: ".." cannot climb out of a folder.
        const QString path = QDir::cleanPath(url.toLocalFile());
        const QMutexLocker lock(&m_mutex);
        for (const QString& folder : m_allowedFolders) {
            if (path.startsWith(folder))
                return true;
        }
        return false;
    }

private:
    mutable QMutex m_mutex; // requests may be decided off the window's thread
    QStringList m_allowedFolders;
};

namespace {

// A profile of its own that writes nothing under the user's home: no disk cache, cookies,
// local storage or visited links outlive the program.
QWebEngineProfile* makeOffTheRecordProfile()
{
    auto* profile = new QWebEngineProfile(); // no storage name: off the record
    profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
    profile->setSpellCheckEnabled(false);
    return profile;
}

} // namespace

DocumentPage::DocumentPage(QObject* parent) : QWebEnginePage(makeOffTheRecordProfile(), parent)
{
    // The profile goes with the page, and only after it: children are deleted after the
    // page's own destructor has run.
    profile()->setParent(this);
    m_requestFilter = new RequestFilter(profile());
    profile()->setUrlRequestInterceptor(m_requestFilter);

    QWebEngineSettings* s = settings();
    s->setDefaultTextEncoding(QStringLiteral("windows-1251"));
    // Scripts of the document itself (the main world); the program's own page scripts run in
    // their own world and are not affected.
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    // Switching LocalContentCanAccessFileUrls off would also hide the document's own
    // pictures; the request filter allows only the files of the allowed folders instead.
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    s->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
    s->setAttribute(QWebEngineSettings::AllowRunningInsecureContent, false);
    s->setAttribute(QWebEngineSettings::AllowGeolocationOnInsecureOrigins, false);
}

DocumentPage::~DocumentPage() = default;

void DocumentPage::setAllowedFolders(const QStringList& folders)
{
    m_requestFilter->setAllowedFolders(folders);
}

bool DocumentPage::isAllowedFile(const QUrl& url) const
{
    return m_requestFilter->isAllowedFile(url);
}

bool DocumentPage::isLocalScheme(const QString& scheme)
{
    return scheme == u"file" || scheme == u"data" || scheme == u"blob" || scheme == u"qrc" ||
           scheme == u"about";
}

namespace {

// The page a link asked to open apart is loaded into: it loads nothing, and hands the
// address on once.
class LinkCatcher final : public QWebEnginePage
{
public:
    LinkCatcher(QWebEngineProfile* profile, std::function<void(const QUrl&)> caught,
                QObject* parent)
        : QWebEnginePage(profile, parent), m_caught(std::move(caught))
    {
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override
    {
        if (m_caught && url.scheme() != u"about")
            std::exchange(m_caught, {})(url);
        deleteLater();
        return false;
    }

private:
    std::function<void(const QUrl&)> m_caught;
};

} // namespace

QWebEnginePage* DocumentPage::createWindow(WebWindowType type)
{
    if (type != WebBrowserTab && type != WebBrowserBackgroundTab)
        return nullptr;
    return new LinkCatcher(
        profile(), [this](const QUrl& url) { emit linkActivatedInNewTab(url); }, this);
}

bool DocumentPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    // The program's own loads into the viewer (the document, the highlighted copy, a blank
    // page) and their reloads.
    if (isMainFrame && (type == NavigationTypeTyped || type == NavigationTypeReload))
        return true;
    if (url.scheme() == u"about")
        return true;
    if (url.scheme() == u"lectoria-norm" || url.scheme() == u"lectoria-part") {
        // A designation linked in the shown copy: the window finds the document it names.
        if (type == NavigationTypeLinkClicked)
            emit linkActivated(url);
        return false;
    }
    if (isMainFrame && type == NavigationTypeLinkClicked) {
        // An anchor of the page itself is moved to by the viewer; any other link is for the
        // window to follow (a document of the library is selected in the tree).
        if (url.adjusted(QUrl::RemoveFragment) == this->url().adjusted(QUrl::RemoveFragment))
            return true;
        if (!isAllowedFile(url))
            emit navigationRefused(url);
        emit linkActivated(url);
        return false;
    }
    // Whatever a document asks for (a link, a redirect, a frame, a form) stays within the
    // library and the working copies.
    if (isAllowedFile(url))
        return true;
    emit navigationRefused(url);
    return false;
}
