#include "viewer/pdfpresenter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>
#include <QWebEnginePage>
#include <QWebEngineScript>

namespace {

// Debian's pdf.js (libjs-pdf): the library and its worker, run in one thread.
const QString pdfJsFolder = QStringLiteral("/usr/share/javascript/pdf/build/");

QString readText(const QString& path)
{
    // not a library document: the program's own scripts and pdf.js.
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

const char* const shellPage = R"(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title></title>
<style>
html { background: #808080; }
body { margin: 0; padding: 8px 0; }
#pages .page { position: relative; margin: 0 auto 8px auto; background: white;
               box-shadow: 0 1px 4px rgba(0,0,0,0.5); overflow: hidden; }
#pages .page img.drawn { position: absolute; left: 0; top: 0; width: 100%; height: 100%; }
.textLayer { position: absolute; left: 0; top: 0; right: 0; bottom: 0; overflow: hidden;
             line-height: 1; }
.textLayer span, .textLayer br { color: transparent; position: absolute; white-space: pre;
                                 cursor: text; transform-origin: 0% 0%; }
.textLayer span.lectoria-mark { position: static; opacity: 0.45; border-radius: 2px; }
.textLayer ::selection { background: rgba(0, 0, 255, 0.3); }
#pages.failed { color: white; font: 14px sans-serif; padding: 2em; }
.linkLayer { position: absolute; left: 0; top: 0; right: 0; bottom: 0; pointer-events: none; }
.linkLayer .lectoria-link { position: absolute; pointer-events: auto; }
.linkLayer a.lectoria-norm, .linkLayer a.lectoria-part {
  border-bottom: 1px solid rgba(0, 0, 238, 0.75); background: rgba(0, 0, 238, 0.06); }
.linkLayer .lectoria-absent { border-bottom: 1px dotted rgba(128, 0, 0, 0.8); }
</style></head>
<body><div id="pages"></div></body></html>
)";

} // namespace

PdfPresenter::PdfPresenter(QWebEnginePage* page, QObject* parent)
    : QObject(parent), m_page(page), m_poll(new QTimer(this))
{
    m_poll->setInterval(50);
    connect(m_poll, &QTimer::timeout, this, &PdfPresenter::poll);
}

bool PdfPresenter::isAvailable()
{
    return QFile::exists(pdfJsFolder + QStringLiteral("pdf.js")) &&
           QFile::exists(pdfJsFolder + QStringLiteral("pdf.worker.js"));
}

QString PdfPresenter::writeShell(const QString& folder)
{
    const QString path = folder + QStringLiteral("/pdf.htm");
    // not a library document: the page of our own that shows one.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(shellPage) != qint64(qstrlen(shellPage)) || !file.flush())
        return {};
    return path;
}

const QString& PdfPresenter::scripts()
{
    // pdf.js, its worker (in this thread: the page may start no worker of its own), and the
    // viewer; read once.
    static const QString all = readText(pdfJsFolder + QStringLiteral("pdf.js")) + u'\n' +
                               readText(pdfJsFolder + QStringLiteral("pdf.worker.js")) + u'\n' +
                               readText(QStringLiteral(":/viewer/pdfviewer.js"));
    return all;
}

void PdfPresenter::present(const QString& path, const Marks& marks, int scrollY)
{
    ++m_generation;
    m_drawing = false;
    QJsonObject options;
    options.insert(QStringLiteral("needles"),
                   QJsonArray::fromStringList(marks.found.caseSensitive ? marks.found.texts : [&] {
                       QStringList lower;
                       for (const QString& text : marks.found.texts)
                           lower.append(text.toLower());
                       return lower;
                   }()));
    options.insert(QStringLiteral("caseSensitive"), marks.found.caseSensitive);
    options.insert(QStringLiteral("wholeWords"), marks.found.wholeWords);
    options.insert(QStringLiteral("colors"),
                   QJsonObject{{QStringLiteral("back"), marks.backColor}});
    options.insert(QStringLiteral("scrollTo"), scrollY);
    options.insert(QStringLiteral("first"), marks.first);
    const QJsonArray arguments{QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded()), options};
    const QString start =
        QStringLiteral("\nlectoriaPdf.open.apply(null, %1);\n")
            .arg(QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact)));
    if (!isAvailable()) {
        m_page->runJavaScript(
            QStringLiteral("document.getElementById('pages').className = 'failed';"
                           "document.getElementById('pages').textContent = 'Для показа "
                           "документов PDF нужен пакет libjs-pdf (pdf.js).';"),
            QWebEngineScript::ApplicationWorld);
        emit presented(0, true);
        return;
    }
    m_page->runJavaScript(scripts() + start, QWebEngineScript::ApplicationWorld);
    m_poll->start();
}

void PdfPresenter::stop()
{
    ++m_generation;
    m_drawing = false;
    m_poll->stop();
}

void PdfPresenter::drawAll()
{
    ++m_generation;
    m_drawing = true;
    m_poll->start();
}

void PdfPresenter::poll()
{
    const quint64 generation = m_generation;
    const QString script =
        m_drawing ? QStringLiteral("window.lectoriaPdf ? lectoriaPdf.renderAll() : true")
                  : QStringLiteral("window.lectoriaPdf ? lectoriaPdf.state() : null");
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                          [this, generation, drawing = m_drawing](const QVariant& answer) {
                              if (generation != m_generation || !m_poll->isActive())
                                  return; // another document, or answered already
                              if (drawing) {
                                  if (answer.toBool()) {
                                      m_poll->stop();
                                      m_drawing = false;
                                      emit allDrawn();
                                  }
                                  return;
                              }
                              const QVariantMap state = answer.toMap();
                              if (!state.value(QStringLiteral("ready")).toBool())
                                  return;
                              m_poll->stop();
                              emit presented(state.value(QStringLiteral("marks")).toInt(),
                                             state.value(QStringLiteral("failed")).toBool());
                          });
}

void PdfPresenter::addLinks(const QByteArray& links)
{
    m_page->runJavaScript(QStringLiteral("window.lectoriaPdf && lectoriaPdf.addLinks(%1)")
                              .arg(QString::fromUtf8(links)),
                          QWebEngineScript::ApplicationWorld);
}

void PdfPresenter::ask(const QString& script, std::function<void(const QVariant&)> answer)
{
    const quint64 generation = m_generation;
    m_page->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                          [this, generation, answer = std::move(answer)](const QVariant& value) {
                              if (generation == m_generation) // not of a document shown before
                                  answer(value);
                          });
}

void PdfPresenter::askOutline(std::function<void(const QVariantList&)> answer)
{
    ask(QStringLiteral("window.lectoriaPdf ? lectoriaPdf.outline() : []"),
        [answer = std::move(answer)](const QVariant& outline) { answer(outline.toList()); });
}

void PdfPresenter::askPageAtTop(std::function<void(int)> answer)
{
    ask(QStringLiteral("window.lectoriaPdf ? lectoriaPdf.pageAtTop() : 0"),
        [answer = std::move(answer)](const QVariant& page) { answer(page.toInt()); });
}

void PdfPresenter::showPart(int page, const QString& number)
{
    m_page->runJavaScript(
        QStringLiteral("window.lectoriaPdf && lectoriaPdf.showPart(%1, %2, 0)")
            .arg(page)
            .arg(QString::fromUtf8(QJsonDocument(QJsonArray{number}).toJson(QJsonDocument::Compact))
                     .mid(1)
                     .chopped(1)),
        QWebEngineScript::ApplicationWorld);
}
