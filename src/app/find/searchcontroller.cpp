#include "find/searchcontroller.h"

#include "find/scopechooser.h"

#include "dialogs/searchoptionsdialog.h"
#include "dialogs/searchresultdialog.h"
#include "dialogs/userinteraction.h"
#include "find/backgroundsearch.h"
#include "find/findbox.h"
#include "find/indexkeeper.h"
#include "find/librarywatcher.h"
#include "find/searchresultsdock.h"
#include "library/libraryscan.h"
#include "matching/wordforms.h"
#include "query/searchquery.h"
#include "search/searchhistory.h"
#include "settings/appsettings.h"
#include "support/statustexts.h"
#include "support/windowcommands.h"
#include "tree/documenttreepanel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QToolTip>
#include <QTreeWidget>

SearchController::SearchController(DocumentTreePanel* tree, AppSettings* settings, QWidget* window)
    : QObject(window), m_tree(tree), m_settings(settings), m_window(window)
{
    m_findBox = new FindBox(window);
    m_scopeChooser = new ScopeChooser(window);
    connect(m_scopeChooser, &QComboBox::currentIndexChanged, this,
            &SearchController::updateScopeHint);
    m_resultList = new SearchResultsDock(window);
    m_indexKeeper = new IndexKeeper(this);
    m_indexKeeper->setEnabled(m_settings->useIndex());
    m_libraryWatcher = new LibraryWatcher(this);
    m_findBox->setHistory(m_settings->searchHistory());
    m_resultList->hide();
    connect(m_findBox, &QComboBox::editTextChanged, this, &SearchController::stateChanged);
    connect(m_findBox, &QComboBox::activated, this, &SearchController::chooseHistoryEntry);
    connect(m_findBox, &FindBox::searchRequested, this, &SearchController::runFromFindBox);
    connect(m_resultList, &SearchResultsDock::documentChosen, this, [this](const QString& path) {
        if (!m_tree->selectFoundDocument(path))
            emit statusMessage(StatusTexts::notInTree(path));
    });
}

SearchController::~SearchController()
{
    m_search.reset(); // a search still running stops before the tree goes
}

MatchOptions SearchController::matchOptions() const
{
    return m_settings->matchOptions();
}

void SearchController::setMatchOptions(const MatchOptions& options)
{
    m_settings->setMatchOptions(options);
    updateCommands();
}

quint32 SearchController::backColor() const
{
    return m_settings->highlightBackColor();
}

quint32 SearchController::fontColor() const
{
    return m_settings->highlightFontColor();
}

void SearchController::updateIndex()
{
    m_indexKeeper->update(m_tree->collection().folders);
    // With the index, the walk a search makes is the most of its time: it is kept and
    // followed.
    m_libraryWatcher->follow(m_settings->useIndex() ? m_tree->collection().folders : QStringList());
}

void SearchController::attachCommands(WindowCommands* commands)
{
    m_commands = commands;
    connect(commands->action(WindowCommands::SearchOptions), &QAction::triggered, this,
            &SearchController::editOptions);
    const auto stepDocuments = [this](int step) {
        if (m_searchMode && !m_resultList->chooseNext(step))
            emit statusNote(QStringLiteral("Список найденных документов пуст"));
    };
    connect(m_resultList, &SearchResultsDock::wentRound, this, [this](bool forward) {
        emit statusNote(forward ? QStringLiteral("Переход продолжен с первого найденного документа")
                                : QStringLiteral("Переход продолжен с последнего найденного "
                                                 "документа"));
    });
    connect(commands->action(WindowCommands::NextFoundDocument), &QAction::triggered, this,
            [stepDocuments] { stepDocuments(1); });
    connect(commands->action(WindowCommands::PreviousFoundDocument), &QAction::triggered, this,
            [stepDocuments] { stepDocuments(-1); });
    connect(commands->action(WindowCommands::FocusResultList), &QAction::triggered, this, [this] {
        if (m_searchMode)
            m_resultList->focusList();
    });
    connect(this, &SearchController::stateChanged, this, &SearchController::updateCommands);
    QAction* within = commands->action(WindowCommands::SearchWithinFound);
    connect(within, &QAction::triggered, this, [this](bool on) {
        if (on)
            searchWithinFound();
        else
            leaveWithinFound();
    });
    m_findBox->addMenuAction(within);
    connect(m_findBox, &FindBox::escapePressed, this, &SearchController::leaveWithinFound);
    m_resultList->setWithinFoundAction(within);
    connect(m_resultList, &SearchResultsDock::treeRestoreRequested, this,
            &SearchController::treeRestoreRequested);
    connect(m_resultList, &SearchResultsDock::everywhereRequested, this,
            &SearchController::searchEverywhere);
    connect(m_resultList, &SearchResultsDock::statusNote, this, &SearchController::statusNote);
}

bool SearchController::searchWithinFound()
{
    if (!m_searchMode || m_search || m_lastFound.isEmpty()) {
        emit statusNote(QStringLiteral("Нет найденных документов: искать в найденном нечего"));
        emit stateChanged();
        return false;
    }
    m_within = std::make_shared<const QSet<QString>>(m_lastFound);
    m_withinScope = m_lastScope;
    m_withinWhole = m_lastWhole;
    emit statusNote(QStringLiteral("Следующий поиск — в найденном: %1 (Esc — выйти)")
                        .arg(StatusTexts::documentsCounted(m_within->size())));
    emit stateChanged();
    return true;
}

void SearchController::searchEverywhere()
{
    if (m_search || m_context.isEmpty())
        return;
    leaveWithinFound();
    m_scopeChooser->setCurrentIndex(0); // "Везде"
    updateScopeHint();
    m_findBox->setEditText(m_context);
    // A text searched as written is searched so again.
    m_literalNext = m_lastLiteral;
    run();
}

void SearchController::leaveWithinFound()
{
    if (!m_within)
        return;
    m_within.reset();
    emit statusNote(QStringLiteral("Поиск снова там, где выбрано в дереве"));
    emit stateChanged();
}

void SearchController::updateCommands()
{
    if (!m_commands)
        return;
    const bool hasContext = !m_findBox->currentText().trimmed().isEmpty();
    m_commands->action(WindowCommands::BeginSearch)->setEnabled(hasContext);
    m_commands->action(WindowCommands::CancelSearch)->setEnabled(m_searchMode);
    // A closed result list comes back while search mode lasts.
    m_commands->action(WindowCommands::FocusResultList)->setEnabled(m_searchMode);
    QAction* within = m_commands->action(WindowCommands::SearchWithinFound);
    within->setEnabled(!m_search && (m_within || m_searchMode));
    within->setChecked(m_within != nullptr);
    emit modeTextChanged(m_settings->matchOptions().wordForms ? QStringLiteral("в любой форме")
                                                              : QString());
}

void SearchController::editOptions()
{
    SearchOptionsDialog dialog(m_window);
    dialog.setGuideFile(m_guideFile);
    const MatchOptions options = m_settings->matchOptions();
    dialog.wholeWordsBox()->setChecked(options.wholeWords);
    dialog.textModeBox()->setChecked(options.textMode);
    dialog.caseSensitiveBox()->setChecked(options.caseSensitive);
    dialog.wordFormsBox()->setChecked(options.wordForms);
    SearchOptionsDialog::selectColor(dialog.backColorBox(), m_settings->highlightBackColor());
    SearchOptionsDialog::selectColor(dialog.fontColorBox(), m_settings->highlightFontColor());
    dialog.useIndexBox()->setChecked(m_settings->useIndex());
    dialog.resultDialogBox()->setChecked(m_settings->showsResultDialog());
    dialog.setIndexState(m_indexKeeper->stateText());
    if (UserInteraction::current().run(dialog) != QDialog::Accepted)
        return;
    m_settings->setMatchOptions(
        MatchOptions{dialog.caseSensitiveBox()->isChecked(), dialog.wholeWordsBox()->isChecked(),
                     dialog.textModeBox()->isChecked(), dialog.wordFormsBox()->isChecked()});
    updateCommands(); // the mode beside the find box
    m_settings->setShowsResultDialog(dialog.resultDialogBox()->isChecked());
    m_settings->setHighlightBackColor(SearchOptionsDialog::selectedColor(dialog.backColorBox()));
    m_settings->setHighlightFontColor(SearchOptionsDialog::selectedColor(dialog.fontColorBox()));
    const bool useIndex = dialog.useIndexBox()->isChecked();
    if (useIndex != m_settings->useIndex()) {
        m_settings->setUseIndex(useIndex);
        m_indexKeeper->setEnabled(useIndex);
        if (useIndex)
            updateIndex();
        else
            m_libraryWatcher->follow({});
    }
}

void SearchController::setSearchMode(bool on, const QString& context)
{
    m_searchMode = on;
    if (!on)
        leaveWithinFound();
    if (on && !context.isEmpty()) {
        m_context = context;
        m_marked = QStringList{context};
    }
    // The result list belongs to search mode (a search that runs fills it already).
    if (!m_searchMode && !m_search)
        m_resultList->leaveSearch();
    emit stateChanged();
}

std::optional<DocumentViewer::Highlighting> SearchController::highlighting() const
{
    if (!m_searchMode)
        return std::nullopt;
    // Word forms are marked in the text, so their marks are numbered as text mode's are.
    return DocumentViewer::Highlighting{m_marked, m_settings->matchOptions().effective(),
                                        m_settings->highlightFontColor(),
                                        m_settings->highlightBackColor()};
}

QStringList SearchController::markedContexts(const SearchQuery& query, bool wordForms,
                                             const QString& context)
{
    if (query.isPlain())
        return {context};
    // Word forms read their words as one query, its groups marked together.
    const QStringList terms = query.positiveTerms();
    return wordForms ? QStringList{terms.join(u' ')} : terms;
}

void SearchController::run()
{
    const QString context = SearchJob::trimmedContext(m_findBox->currentText());
    const bool literal = std::exchange(m_literalNext, false);
    m_runLiteral = literal;
    const SearchQuery query =
        literal ? SearchQuery() : SearchQuery::parse(context, m_settings->matchOptions().wordForms);
    if (!context.isEmpty() && !query.isValid()) {
        // Refused, never searched as something else: said under the find box.
        emit statusMessage(u' ' + query.error());
        QToolTip::showText(m_findBox->mapToGlobal(QPoint(0, m_findBox->height())), query.error(),
                           m_findBox);
        return;
    }
    if (!context.isEmpty() && query.isPlain() && m_settings->matchOptions().wordForms &&
        !WordQuery(context).isValid()) {
        emit statusMessage(QStringLiteral(" В запросе нет ни одного слова: искать нечего."));
        return;
    }
    if (query.isPlain() && m_settings->matchOptions().wordForms &&
        WordQuery(context).wordCount() > WordQuery::MaxWords) {
        emit statusMessage(
            QStringLiteral(" В запросе больше %1 слов: сократите его.").arg(WordQuery::MaxWords));
        return;
    }
    if (context.isEmpty()) {
        m_searchMode = false;
        m_resultList->leaveSearch();
        emit stateChanged();
        return;
    }
    if (m_search)
        return; // one search at a time
    // Nothing of the window changes until the search has ended: a stopped search leaves the
    // tree, the selection, the search mode and the status as they were.
    const TreeNode node = m_scopeChooser->isEverywhere() ? TreeNode() : m_scopeChooser->node();
    m_wholeCollection = m_within ? m_withinWhole : !node.isBelowRoot();
    SearchRequest request;
    request.context = context;
    QStringList place; // the captions of the node searched, below the root
    if (m_within) {
        // Where the documents were found, only they.
        request.folders = m_withinScope.folders;
        request.folderCaptions = m_withinScope.folderCaptions;
        request.document = m_withinScope.document;
        request.options = m_wholeCollection || !m_tree->tree() ? m_settings->matchOptions()
                                                               : m_tree->tree()->options();
        request.within = m_within;
    } else if (m_wholeCollection) {
        // Each folder of the collection in turn; each base of the technical parts a folder of
        // its own, captioned with its name.
        const Collection& collection = m_tree->collection();
        request.options = m_settings->matchOptions();
        request.folders = collection.folders;
        if (collection.technicalParts)
            request.folderCaptions = collection.names;
    } else if (m_tree->tree()) {
        // The tree's options: they are taken when the tree is built.
        request.options = m_tree->tree()->options();
        if (node.kind == NodeKind::Folder)
            request.folders = QStringList{node.path};
        else
            request.document = node.path;
        place = node.captions.mid(1);
    } else {
        return;
    }
    request.useIndex = m_settings->useIndex();
    if (request.useIndex)
        request.knownLibraries = m_libraryWatcher->knownLibraries(request.folders);
    m_scope =
        m_within ? QStringLiteral("в найденном: ") + StatusTexts::documentsCounted(m_within->size())
                 : nextScope();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // The list counts and cuts out what the documents are marked with.
    m_resultList->beginSearch(request, markedContexts(query, request.options.wordForms, context),
                              place);
    m_resultList->setHeader(
        QStringLiteral("%1 — %2, %3")
            .arg(query.isPlain() ? QStringLiteral("«%1»").arg(context)
                                 : QStringLiteral("Прочитано как: ") + query.reading(),
                 request.options.wordForms  ? QStringLiteral("слова в любой форме")
                 : request.options.textMode ? QStringLiteral("в тексте документов")
                                            : QStringLiteral("по содержимому файлов"),
                 m_scope));
    // The fragment search is offered after a search of the whole collection alone (one of a
    // folder or a document runs with the tree's options): counted only then.
    m_search = std::make_unique<BackgroundSearch>(std::move(request), m_window,
                                                  m_wholeCollection && query.isPlain(), query);
    connect(m_search.get(), &BackgroundSearch::documentFound, m_resultList,
            &SearchResultsDock::addFound);
    connect(m_search.get(), &BackgroundSearch::finished, this, &SearchController::showResult);
}

void SearchController::runFromFindBox()
{
    addToHistory(m_findBox->currentText());
    run();
    m_tree->view()->setFocus();
}

void SearchController::chooseHistoryEntry(int index)
{
    if (index >= 0) {
        m_findBox->setEditText(m_findBox->itemText(index));
        run();
        m_tree->view()->setFocus();
    }
    addToHistory(m_findBox->currentText().trimmed());
}

void SearchController::addToHistory(const QString& text)
{
    if (text.trimmed().isEmpty())
        return;
    const QStringList history = SearchHistory::added(m_findBox->history(), text);
    {
        const QSignalBlocker blocker(m_findBox);
        m_findBox->clear();
        m_findBox->addItems(history);
        m_findBox->setCurrentIndex(0);
    }
    m_settings->setSearchHistory(history);
    emit stateChanged();
}

QString SearchController::nextScope() const
{
    return m_scopeChooser->description();
}

void SearchController::followSelection()
{
    m_scopeChooser->follow(m_tree->selected());
    updateScopeHint();
}

void SearchController::updateScopeHint()
{
    m_findBox->setToolTip(QStringLiteral("Поиск по контексту ") + nextScope() +
                          QStringLiteral(" (выбор в дереве задаёт, где искать)"));
}

const SearchRequest* SearchController::runningSearch() const
{
    return m_search ? &m_search->request() : nullptr;
}

void SearchController::cancel()
{
    if (!m_search)
        return;
    m_search->cancel();
    m_search.reset(); // waits for the run to stop: moments, at most a chunk of a document
    m_resultList->cancelSearch();
    QApplication::restoreOverrideCursor();
    m_window->activateWindow();
    emit searchFinished();
}

void SearchController::showResult()
{
    // The run has ended; it is let go once this handler of its signal is done.
    BackgroundSearch* search = m_search.release();
    search->deleteLater();
    QApplication::restoreOverrideCursor();
    const SearchResult& result = search->result();
    m_libraryWatcher->renew(result.unreplayedFolders);
    if (result.cancelled || search->isCancelled()) {
        m_resultList->cancelSearch();
        m_window->activateWindow(); // back from the progress window
        emit searchFinished();
        return;
    }
    const SearchQuery& query = search->query();
    m_context = search->request().context;
    m_marked =
        markedContexts(query, search->request().options.wordForms, search->request().context);
    m_searchMode = true;
    m_lastScope = search->request();
    m_lastScope.knownLibraries.clear(); // taken anew by the next search
    m_lastWhole = m_wholeCollection;
    m_lastLiteral = m_runLiteral;
    m_lastFound.clear();
    LibraryScan::forEachDocument(result.nodes,
                                 [this](const ScanNode& node) { m_lastFound.insert(node.path); });
    const int found = result.found;
    const int checked = result.checked;
    if (m_wholeCollection) {
        emit collectionSearched(&result);
    } else if (m_tree->tree()) {
        m_tree->tree()->showSubtreeSearch(result);
        emit subtreeSearched();
    }
    m_resultList->endSearch(m_tree->documentsInTreeOrder(), result.relevance);
    m_window->activateWindow(); // back from the progress window
    // A phrase split by markup (a tag or a line wrap between its words) is not in the raw
    // bytes; the search in the text of the documents finds it.
    const bool suggestTextMode = m_wholeCollection && found == 0 &&
                                 !search->request().options.textMode && m_context.contains(u' ');
    SearchResultDialog dialog(search->request().context, checked, found, m_window,
                              result.unreadable, suggestTextMode && query.isPlain());
    if (!query.isPlain())
        dialog.setQueryReading(query.reading());
    dialog.setScope(m_scope);
    m_resultList->setSearchFacts(query.isPlain() ? QString() : query.reading(), m_scope,
                                 (result.indexedFolders.isEmpty()
                                      ? QStringLiteral("проверено ")
                                      : QStringLiteral("по индексу, проверено ")) +
                                     StatusTexts::documentsCounted(checked));
    // Nothing where it looked: the same search everywhere is one click away.
    const bool narrowed = !m_wholeCollection || search->request().within;
    if (found == 0 && narrowed) {
        dialog.setEverywhereOffer();
        m_resultList->offerEverywhere();
        m_resultList->setHeader(m_resultList->header() + QStringLiteral("; ничего не найдено"));
    }
    const bool moreAsFragment = result.fragmentFound > found; // counted for the collection only
    if (moreAsFragment) {
        // The words in their forms found less than the same text as a fragment would.
        dialog.setFragmentOffer(result.fragmentFound);
        m_resultList->setHeader(m_resultList->header() + QStringLiteral("; ") +
                                StatusTexts::asFragment(result.fragmentFound));
    }
    if (result.withoutText > 0) {
        dialog.setWithoutText(result.withoutText);
        m_resultList->setHeader(m_resultList->header() + QStringLiteral("; ") +
                                StatusTexts::pdfWithoutText(result.withoutText));
    }
    if (m_settings->showsResultDialog()) {
        UserInteraction::current().run(dialog);
        if (dialog.dontShowAgainBox()->isChecked())
            m_settings->setShowsResultDialog(false);
    } else {
        offerOnTheLine(query, found, checked, result.unreadable,
                       moreAsFragment ? SearchJob::fragmentRequest(search->request()).context
                                      : QString());
    }
    emit stateChanged();
    emit statusMessage(QStringLiteral(" Режим поиска. Для отмены режима поиска нажмите Ctrl+Z."));
    emit searchFinished();
    if (dialog.literalChosen()) {
        m_literalNext = true;
        run();
    } else if (dialog.everywhereChosen()) {
        searchEverywhere();
    } else if (dialog.restoreTreeChosen())
        emit treeRestoreRequested();
    else if (moreAsFragment && dialog.fragmentChosen())
        searchAsFragment(SearchJob::fragmentRequest(search->request()).context);
}

void SearchController::offerOnTheLine(const SearchQuery& query, int found, int checked,
                                      int unreadable, const QString& fragment)
{
    QString counts = QStringLiteral("; проверено %1, найдено %2").arg(checked).arg(found);
    if (unreadable > 0)
        counts += QStringLiteral(", не удалось прочитать %1").arg(unreadable);
    m_resultList->setHeader(m_resultList->header() + counts);
    if (!query.isPlain())
        m_resultList->addOffer(
            QStringLiteral("literalOfferButton"), QStringLiteral("Искать как написано"),
            QStringLiteral("Весь текст поля «Поиск» — одним фрагментом"), [this] {
                m_literalNext = true;
                run();
            });
    if (!fragment.isEmpty())
        m_resultList->addOffer(QStringLiteral("fragmentOfferButton"),
                               QStringLiteral("Искать как фрагмент"),
                               QStringLiteral("Те же слова — фрагментом текста"),
                               [this, fragment] { searchAsFragment(fragment); });
    if (found == 0)
        m_resultList->addOffer(QStringLiteral("restoreTreeOfferButton"),
                               QStringLiteral("Вернуть дерево"),
                               QStringLiteral("Все документы коллекции снова в дереве"),
                               [this] { emit treeRestoreRequested(); });
}

void SearchController::searchAsFragment(const QString& fragment)
{
    // The mode changes as the options dialog would change it, and says so.
    MatchOptions options = m_settings->matchOptions();
    options.wordForms = false;
    options.textMode = true;
    m_settings->setMatchOptions(options);
    emit stateChanged();
    m_findBox->setEditText(fragment);
    addToHistory(fragment);
    run();
    emit statusNote(QStringLiteral("Поиск фрагмента текста: «Искать все слова в любой форме» "
                                   "выключено (Ctrl+P)"));
}
