#pragma once

#include "library/libraryscan.h"
#include "matching/matchoptions.h"
#include "query/searchquery.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>

// A query answered over library folders, exactly: each term's documents are found as the
// context's search finds them (with the index where asked: it narrows, the reading decides),
// AND, OR and NOT join those sets, and what the sets cannot tell (a prefix, words near each
// other, the fields) is checked on the documents left by reading them.
class QuerySearch
{
public:
    struct Request
    {
        SearchQuery query; // valid, not plain
        MatchOptions options;
        QStringList folders;
        // When set, this document is checked alone and the folders are ignored.
        QString document;
        bool useIndex = false;
        const std::atomic<bool>* cancel = nullptr;
        // When set, only these documents of the folders are looked through.
        std::shared_ptr<const QSet<QString>> within = {};
    };
    struct Result
    {
        QStringList found; // in scan order
        // The folders' tree, only the found documents and the folders that lead to them left.
        std::vector<ScanNode> nodes;
        int documents = 0; // below the folders
        int unreadable = 0;
        bool cancelled = false;
    };

    static Result run(const Request& request);
};
