#pragma once

#include <QStringList>
#include <QWebEnginePage>

// The viewer's page. A library document is read, not run: its own scripts do not run, it
// cannot read other local files, open windows or keep storage, and nothing is fetched from
// the network for it. The viewer shows only files of the allowed folders (the collection and
// the working copies); the program's own loads and its page scripts are unaffected.
class DocumentPage final : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit DocumentPage(QObject* parent = nullptr);
    ~DocumentPage() override;

    // The folders whose files a link or a redirect may show in the viewer.
    void setAllowedFolders(const QStringList& folders);
    // True for a file of an allowed folder (or below it).
    bool isAllowedFile(const QUrl& url) const;
    // True for the schemes a document may fetch from: nothing that reaches the network.
    static bool isLocalScheme(const QString& scheme);

signals:
    // A link, redirect or frame asked for an address outside the library: not loaded.
    void navigationRefused(const QUrl& url);
    // The user followed a link to another page: not loaded, the window decides.
    void linkActivated(const QUrl& url);
    // The user followed a link into a new tab (a middle click, Ctrl+click): not loaded.
    void linkActivatedInNewTab(const QUrl& url);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    // A link opened in a tab or window of its own: a page that only catches its address.
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    class RequestFilter;
    RequestFilter* m_requestFilter = nullptr; // owned by the page's profile
};
