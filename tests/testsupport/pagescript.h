#pragma once

#include <QTest>
#include <QVariant>
#include <QWebEnginePage>
#include <QWebEngineScript>

// Runs a script of the program's own on a shown page and waits for its answer (a
// document's own scripts do not run, so the page is read from the program's world).
inline QVariant evaluateInPage(QWebEnginePage* page, const QString& script)
{
    QVariant answer;
    bool done = false;
    page->runJavaScript(script, QWebEngineScript::ApplicationWorld, [&](const QVariant& value) {
        answer = value;
        done = true;
    });
    return QTest::qWaitFor([&] { return done; }, 10000) ? answer : QVariant();
}

// The text selected on the page.
inline QString selectionInPage(QWebEnginePage* page)
{
    return evaluateInPage(page, QStringLiteral("window.getSelection().toString()")).toString();
}
