#include "links/normkeeper.h"
#include "links/normlinksdock.h"
#include "norms/documentstructure.h"
#include "settings/appsettings.h"
#include "support/windowcommands.h"
#include "testsupport/apptestmain.h"
#include "testsupport/pagescript.h"
#include "testsupport/startwindow.h"
#include "testsupport/suitefixture.h"
#include "testsupport/testpdf.h"
#include "tree/documenttreepanel.h"
#include "viewer/documentviewer.h"
#include "viewer/outlinepanel.h"
#include "window/mainwindow.h"
#include "window/nodenavigation.h"
#include "window/windowoutline.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QWebEngineView>

// "Содержание" beside the viewer: the outline of the shown norm, the part being read, and
// going to a part by its name, in the real window.
class TestOutline : public QObject
{
    Q_OBJECT

    SuiteFixture m_suite;
    std::unique_ptr<MainWindow> m_form;

    OutlinePanel* panel() const { return m_form->outline()->panel(); }
    QVariant evaluate(const QString& script)
    {
        return evaluateInPage(m_form->viewer()->view()->page(), script);
    }
    // Clicks the link the selector finds as the user clicks it: a page's script may not follow
    // such a link.
    bool click(const QString& selector)
    {
        const QStringList box =
            evaluate(QStringLiteral("(function(e) { if (!e) return ''; e.scrollIntoView();"
                                    " var r = e.getBoundingClientRect();"
                                    " return [r.left + 3, r.top + r.height / 2].join(','); })"
                                    "(document.querySelector(\"%1\"))")
                         .arg(selector))
                .toString()
                .split(u',');
        if (box.size() != 2)
            return false;
        QWidget* surface = m_form->viewer()->view()->focusProxy();
        if (!surface)
            return false;
        QTest::mouseClick(surface, Qt::LeftButton, {},
                          QPoint(int(box[0].toDouble()), int(box[1].toDouble())));
        return true;
    }
    // Where the heading of a part stands from the top of the view, in pixels.
    int topOf(const QString& text)
    {
        return evaluate(QStringLiteral("(function () { var all = document.querySelectorAll('p');"
                                       " for (var i = 0; i < all.length; ++i)"
                                       "   if (all[i].textContent.indexOf('%1') === 0)"
                                       "     return Math.round(all[i].getBoundingClientRect().top);"
                                       " return -100000; })()")
                            .arg(text))
            .toInt();
    }
    bool show(const QString& name)
    {
        const QString path = m_suite.normDoc(name);
        // The tree may be built again meanwhile (the library is watched).
        if (!QTest::qWaitFor([&] { return m_form->treePanel()->selectPath(path); }, 20000))
            return false;
        return QTest::qWaitFor(
            [&] {
                return m_form->viewer()->shownDocument() == path &&
                       !m_form->viewer()->view()->url().isEmpty() &&
                       evaluate(QStringLiteral("document.readyState")).toString() == u"complete";
            },
            20000);
    }
    int pageAtTop() { return evaluate(QStringLiteral("lectoriaPdf.pageAtTop()")).toInt(); }
    bool showPdf(const QString& path)
    {
        if (!QTest::qWaitFor([&] { return m_form->treePanel()->selectPath(path); }, 20000))
            return false;
        return QTest::qWaitFor(
            [&] {
                return m_form->viewer()->shownDocument() == path &&
                       evaluate(QStringLiteral("window.lectoriaPdf ? lectoriaPdf.state().ready "
                                               ": false"))
                           .toBool();
            },
            30000);
    }
    QTreeWidgetItem* itemOf(const QString& line) const
    {
        const QList<QTreeWidgetItem*> found =
            panel()->tree()->findItems(line, Qt::MatchStartsWith | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }
    static QString filler()
    {
        QString text;
        for (int i = 0; i < 12; ++i)
            text += QStringLiteral("<p>Работы выполняют по проекту производства работ, "
                                   "утвержденному в установленном порядке.</p>");
        return text;
    }

private slots:
    void initTestCase()
    {
        qputenv("TMPDIR", m_suite.scratch(QStringLiteral("tmp")).toLocal8Bit());
        QString body = QStringLiteral("<h1>Свод правил</h1>");
        for (int section = 1; section <= 6; ++section) {
            body += QStringLiteral("<h2>%1 Раздел номер %1</h2>").arg(section);
            for (int clause = 1; clause <= 3; ++clause) {
                body += QStringLiteral("<p>%1.%2 Требования к работам вида %2.</p>")
                            .arg(section)
                            .arg(clause) +
                        filler();
                if (section == 5 && clause == 2)
                    for (int item = 1; item <= 3; ++item)
                        body += QStringLiteral("<p>5.2.%1 Подпункт о бетоне %1.</p>").arg(item) +
                                filler();
            }
            if (section == 6)
                body += QStringLiteral("<p>Бетон укладывают, как сказано выше, см. п. 5.2.1.</p>");
            if (section == 5)
                body += QStringLiteral("<p>Таблица 5.1 — Марки бетона</p>"
                                       "<table><tr><td><p>5.2</p></td><td><p>10</p></td></tr>"
                                       "</table>") +
                        filler();
        }
        body += QStringLiteral("<p>ПРИЛОЖЕНИЕ Б</p><p>(обязательное)</p><p>Методика испытаний</p>"
                               "<p>Б.1 Образцы отбирают от каждой партии.</p>") +
                filler();
        QVERIFY(TestFiles::write(m_suite.normDoc(QStringLiteral("СП 70.13330.2012.htm")),
                                 TestFiles::cp1251(QStringLiteral("<html><head><title>СП 70"
                                                                  "</title></head><body>") +
                                                   body + QStringLiteral("</body></html>"))));
        QVERIFY(TestFiles::write(
            m_suite.normDoc(QStringLiteral("Смета.htm")),
            TestFiles::cp1251(QStringLiteral(
                "<html><body><p>Работы ведут по п. 5.2.3 СП 70.13330.2012; испытания по "
                "приложению Б СП 70.13330.2012, а уход по п. 9.9 СП 70.13330.2012.</p>"
                "<p>Приемка по п. 3.1 СП 71.13330.2017.</p>"
                "</body></html>"))));
        QVERIFY(
            TestFiles::write(m_suite.normDoc(QStringLiteral("Записка.htm")),
                             TestFiles::cp1251(QStringLiteral(
                                 "<html><body><p>Просто текст без пунктов.</p></body></html>"))));
        QList<QStringList> pages(2);
        pages[0] << QStringLiteral("1 Область применения")
                 << QStringLiteral("1.1 Настоящий свод правил распространяется на работы.")
                 << QStringLiteral("2 Нормативные ссылки")
                 << QStringLiteral("2.1 Работы ведут по п. 5.2.3 СП 70.13330.2012.");
        pages[1] << QStringLiteral("3 Общие требования")
                 << QStringLiteral("3.1 Требования см. в п. 1.1 настоящего свода.");
        for (QStringList& page : pages)
            for (int line = 0; line < 30; ++line)
                page << QStringLiteral("Работы выполняют по проекту производства работ.");
        QVERIFY(
            TestPdf::writePages(m_suite.normDoc(QStringLiteral("СП 71.13330.2017.pdf")), pages));
        QVERIFY(TestPdf::writeWithBookmarks(m_suite.normDoc(QStringLiteral("Правила.pdf"))));
        QVERIFY(TestFiles::write(m_suite.iniFile(), "[TreeView]\nNormDocButton=1\n"));
        m_form = startWindow(m_suite.programFile());
        QVERIFY(m_form);
        QTRY_VERIFY_WITH_TIMEOUT(m_form->norms()->catalog()->documentCount() > 0, 20000);
    }
    void cleanupTestCase() { m_form.reset(); }

    // Hidden at first; the command shows it and the choice is kept in the settings.
    void shownByItsCommand()
    {
        QVERIFY(panel()->isHidden());
        QAction* toggle = m_form->commands()->action(WindowCommands::ShowOutline);
        QVERIFY(toggle->isCheckable() && !toggle->isChecked());
        toggle->trigger();
        QVERIFY(panel()->isVisible());
        QVERIFY(AppSettings(m_suite.iniFile()).showOutline());
        // Closed by its own button: the command follows.
        panel()->close();
        QVERIFY(!toggle->isChecked());
        QVERIFY(!AppSettings(m_suite.iniFile()).showOutline());
        toggle->trigger();
        QVERIFY(panel()->isVisible());
    }

    // The outline of the shown norm as a tree: clauses under their sections, tables and the
    // appendix with their names; a document without parts leaves it empty.
    void outlineOfTheShownDocument()
    {
        QVERIFY(show(QStringLiteral("СП 70.13330.2012.htm")));
        QTRY_VERIFY_WITH_TIMEOUT(itemOf(QStringLiteral("5.2.3")) != nullptr, 20000);
        QTreeWidgetItem* section = itemOf(QStringLiteral("5 Раздел номер 5"));
        QVERIFY(section);
        QCOMPARE(itemOf(QStringLiteral("5.2.3"))->parent()->text(0),
                 QStringLiteral("5.2 Требования к работам вида 2."));
        QCOMPARE(itemOf(QStringLiteral("5.2"))->parent(), section);
        QVERIFY(itemOf(QStringLiteral("Таблица 5.1 Марки бетона")));
        QVERIFY(itemOf(QStringLiteral("Приложение Б Методика испытаний")));
        QVERIFY(itemOf(QStringLiteral("Б.1")));
        QVERIFY(!itemOf(QStringLiteral("10"))); // a cell with a number is not a part
        // The file shown is not changed.
        QVERIFY(!TestFiles::read(m_suite.normDoc(QStringLiteral("СП 70.13330.2012.htm")))
                     .contains("lectoria-part"));

        QVERIFY(show(QStringLiteral("Записка.htm")));
        QTRY_COMPARE(panel()->tree()->topLevelItemCount(), 0);
        QVERIFY(!panel()->goToField()->isEnabled());
    }

    // A click on a part shows it at the top of the view; scrolling marks the part being read.
    void clickAndReadingPosition()
    {
        QVERIFY(show(QStringLiteral("СП 70.13330.2012.htm")));
        QTRY_VERIFY_WITH_TIMEOUT(itemOf(QStringLiteral("5.2.3")) != nullptr, 20000);
        QTreeWidgetItem* clause = itemOf(QStringLiteral("5.2.3"));
        emit panel()->tree()->itemClicked(clause, 0);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(topOf(QStringLiteral("5.2.3 "))) <= 2, 10000);
        QCOMPARE(panel()->tree()->currentItem(), clause);

        // Read on: the page scrolled by the reader marks the part reached.
        const int below = topOf(QStringLiteral("6.1 "));
        QVERIFY(below > 0);
        evaluate(QStringLiteral("window.scrollBy(0, %1)").arg(below + 5));
        QTRY_VERIFY_WITH_TIMEOUT(panel()->tree()->currentItem() &&
                                     panel()->tree()->currentItem()->text(0).startsWith(u"6.1"),
                                 10000);
        evaluate(QStringLiteral("window.scrollTo(0, 0)"));
        QTRY_VERIFY_WITH_TIMEOUT(
            panel()->tree()->currentItem() == nullptr ||
                panel()->tree()->currentItem()->text(0).startsWith(u"Свод правил"),
            10000);
    }

    // "Перейти к пункту" takes a part as a reader names it; a part the norm lacks is said so
    // with the nearest offered, and the link to it shows it.
    void goToAPart()
    {
        QVERIFY(show(QStringLiteral("СП 70.13330.2012.htm")));
        QTRY_VERIFY_WITH_TIMEOUT(panel()->goToField()->isEnabled(), 20000);
        m_form->commands()->action(WindowCommands::GoToPart)->trigger();
        QTRY_VERIFY(panel()->goToField()->hasFocus());

        panel()->goToField()->setText(QStringLiteral("табл. 5.1"));
        QTest::keyClick(panel()->goToField(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(topOf(QStringLiteral("Таблица 5.1"))) <= 2, 10000);
        QVERIFY(panel()->noteLabel()->isHidden());

        panel()->goToField()->setText(QStringLiteral("прил. Б"));
        QTest::keyClick(panel()->goToField(), Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(topOf(QStringLiteral("ПРИЛОЖЕНИЕ Б"))) <= 2, 10000);

        panel()->goToField()->setText(QStringLiteral("5.2.9"));
        QTest::keyClick(panel()->goToField(), Qt::Key_Return);
        QVERIFY(panel()->noteLabel()->isVisible());
        const QString note = panel()->noteLabel()->text();
        QVERIFY2(note.startsWith(QStringLiteral("Пункта 5.2.9 в документе нет")), qPrintable(note));
        QVERIFY2(note.contains(QStringLiteral("5.2.3")), qPrintable(note));
        const int nearest = note.section(u'"', 1, 1).toInt();
        emit panel()->noteLabel()->linkActivated(QString::number(nearest));
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(topOf(QStringLiteral("5.2.3 "))) <= 2, 10000);

        panel()->goToField()->setText(QStringLiteral("что-то"));
        QTest::keyClick(panel()->goToField(), Qt::Key_Return);
        QVERIFY(panel()->noteLabel()->text().startsWith(QStringLiteral("Пункт не понят")));
    }

    // A reference to a part of another norm shows that norm at the part; back returns; a part
    // the norm lacks shows it at its top and says so; a reference within the page moves to it.
    void linksToAPart()
    {
        const QString norm = m_suite.normDoc(QStringLiteral("СП 70.13330.2012.htm"));
        QVERIFY(show(QStringLiteral("Смета.htm")));
        QTRY_COMPARE_WITH_TIMEOUT(
            evaluate(QStringLiteral("document.querySelectorAll('a[href*=\"#\"]').length")).toInt(),
            4, 20000);
        QSignalSpy notes(m_form->viewer(), &DocumentViewer::statusNote);
        QVERIFY(click(QStringLiteral("a[href*='#']")));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->viewer()->shownDocument(), norm, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(topOf(QStringLiteral("5.2.3 "))) <= 2, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(panel()->tree()->currentItem() &&
                                     panel()->tree()->currentItem()->text(0).startsWith(u"5.2.3"),
                                 10000);

        m_form->navigation()->goBack();
        QTRY_COMPARE_WITH_TIMEOUT(m_form->viewer()->shownDocument(),
                                  m_suite.normDoc(QStringLiteral("Смета.htm")), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(
            evaluate(QStringLiteral("document.querySelectorAll('a[href*=\"#\"]').length"))
                    .toInt() == 4,
            20000);
        QVERIFY(click(QStringLiteral("a[href*='#'][href$='9.9']")));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->viewer()->shownDocument(), norm, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!notes.isEmpty(), 20000);
        QVERIFY2(
            notes.last().at(0).toString().startsWith(QStringLiteral("Пункта 9.9 в документе нет")),
            qPrintable(notes.last().at(0).toString()));
        // The norm's page, not the one before it.
        QTRY_VERIFY_WITH_TIMEOUT(
            evaluate(QStringLiteral("document.readyState === 'complete' && "
                                    "document.querySelector('a.lectoria-part') !== null"))
                .toBool(),
            20000);
        QCOMPARE(evaluate(QStringLiteral("Math.round(window.scrollY)")).toInt(), 0);

        // Within the page: "см. п. 5.2.1".
        QVERIFY(click(QStringLiteral("a.lectoria-part")));
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(topOf(QStringLiteral("5.2.1 "))) <= 2, 10000);
        QCOMPARE(m_form->viewer()->shownDocument(), norm);
    }

    // "Связи" lists, for the part being read, the documents citing it (or a part within it),
    // with the sentence.
    void citedPart()
    {
        m_form->commands()->action(WindowCommands::ShowLinks)->trigger();
        QVERIFY(show(QStringLiteral("СП 70.13330.2012.htm")));
        QTRY_VERIFY_WITH_TIMEOUT(itemOf(QStringLiteral("5.2.3")) != nullptr, 20000);
        NormLinksDock* dock = m_form->normLinks();
        QTRY_VERIFY_WITH_TIMEOUT(dock->list()->topLevelItemCount() == 4, 20000);
        emit panel()->tree()->itemClicked(itemOf(QStringLiteral("5.2.3")), 0);
        QTreeWidgetItem* citedPart = dock->list()->topLevelItem(2);
        QTRY_COMPARE_WITH_TIMEOUT(citedPart->text(0),
                                  QStringLiteral("На этот пункт ссылаются (пункт 5.2.3)"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!dock->isSearching(), 20000);
        QCOMPARE(citedPart->childCount(), 2); // the page and the PDF
        QCOMPARE(citedPart->child(0)->text(0), QStringLiteral("СП 71.13330.2017"));
        QCOMPARE(citedPart->child(1)->text(0), QStringLiteral("Смета"));
        QVERIFY2(
            citedPart->child(1)->text(1).contains(QStringLiteral("по п. 5.2.3 СП 70.13330.2012")),
            qPrintable(citedPart->child(1)->text(1)));
        // A part of it is cited there, not the section 6.
        emit panel()->tree()->itemClicked(itemOf(QStringLiteral("6 Раздел")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(citedPart->text(0),
                                  QStringLiteral("На этот пункт ссылаются (раздел 6)"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!dock->isSearching(), 20000);
        QCOMPARE(citedPart->childCount(), 0);
        emit panel()->tree()->itemClicked(itemOf(QStringLiteral("5 Раздел")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(citedPart->text(0),
                                  QStringLiteral("На этот пункт ссылаются (раздел 5)"), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!dock->isSearching() && citedPart->childCount() == 2, 20000);
        dock->hide();
    }

    // A PDF: the rule's parts by page in the outline, its designations and part references
    // as links over its text, a part shown on its page, the part read followed.
    void partsOfAPdf()
    {
        const QString pdf = m_suite.normDoc(QStringLiteral("СП 71.13330.2017.pdf"));
        QVERIFY(showPdf(pdf));
        QTRY_VERIFY_WITH_TIMEOUT(itemOf(QStringLiteral("3 Общие требования")) != nullptr, 20000);
        QCOMPARE(itemOf(QStringLiteral("3.1"))->parent(), itemOf(QStringLiteral("3 Общие")));
        QTRY_VERIFY_WITH_TIMEOUT(
            evaluate(QStringLiteral("document.querySelectorAll('.linkLayer a.lectoria-norm')"
                                    ".length + '/' + document.querySelectorAll("
                                    "'.linkLayer a.lectoria-part[href=\"#page1\"]').length"))
                    .toString() == u"2/1",
            20000); // "п. 5.2.3" and "СП 70.13330.2012"; "п. 1.1" of its own
        emit panel()->tree()->itemClicked(itemOf(QStringLiteral("3 Общие")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(pageAtTop(), 2, 10000);
        evaluate(QStringLiteral("window.scrollTo(0, 0)"));
        QTRY_VERIFY_WITH_TIMEOUT(panel()->tree()->currentItem() &&
                                     panel()->tree()->currentItem()->text(0).startsWith(u"2.1"),
                                 10000); // the last part of page 1

        // The norm cited, at the part.
        QVERIFY(click(QStringLiteral(".linkLayer a.lectoria-norm[href*='#']")));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->viewer()->shownDocument(),
                                  m_suite.normDoc(QStringLiteral("СП 70.13330.2012.htm")), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(qAbs(topOf(QStringLiteral("5.2.3 "))) <= 2, 20000);
    }

    // A part of a PDF cited by a page: the PDF is shown at it.
    void linkIntoAPdf()
    {
        QVERIFY(show(QStringLiteral("Смета.htm")));
        QTRY_VERIFY_WITH_TIMEOUT(
            evaluate(QStringLiteral("document.querySelector('a[href$=\"3.1\"]') !== null"))
                .toBool(),
            20000);
        QVERIFY(click(QStringLiteral("a[href$='3.1']")));
        QTRY_COMPARE_WITH_TIMEOUT(m_form->viewer()->shownDocument(),
                                  m_suite.normDoc(QStringLiteral("СП 71.13330.2017.pdf")), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(pageAtTop(), 2, 20000);
    }

    // A PDF with bookmarks: they are its outline; its own links go to their pages.
    void bookmarksOfAPdf()
    {
        QVERIFY(showPdf(m_suite.normDoc(QStringLiteral("Правила.pdf"))));
        QTRY_VERIFY_WITH_TIMEOUT(itemOf(QStringLiteral("Second part")) != nullptr, 20000);
        QCOMPARE(panel()->tree()->topLevelItemCount(), 2);
        QCOMPARE(panel()->tree()->topLevelItem(0)->text(0), QStringLiteral("Introduction"));
        emit panel()->tree()->itemClicked(itemOf(QStringLiteral("Second part")), 0);
        QTRY_COMPARE_WITH_TIMEOUT(pageAtTop(), 2, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(panel()->tree()->currentItem(),
                                  itemOf(QStringLiteral("Second part")), 10000);

        evaluate(QStringLiteral("window.scrollTo(0, 0)"));
        QTRY_COMPARE_WITH_TIMEOUT(pageAtTop(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(
            evaluate(QStringLiteral("document.querySelectorAll('a.lectoria-internal"
                                    "[href=\"#page2\"]').length"))
                    .toInt() == 1,
            20000);
        QVERIFY(click(QStringLiteral("a.lectoria-internal")));
        QTRY_COMPARE_WITH_TIMEOUT(pageAtTop(), 2, 10000);
    }
};

LECTORIA_APP_TEST_MAIN(TestOutline)
#include "tst_outline.moc"
