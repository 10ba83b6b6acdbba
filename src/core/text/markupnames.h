#pragma once

#include <string_view>

// What the names of tags mean for the text of a page (names in lower case).
namespace MarkupNames {

// Tags that stand for a blank between pieces of text.
inline bool isBlock(std::string_view name)
{
    switch (name.size()) {
    case 1:
        return name == "p";
    case 2:
        return name == "br" || name == "hr" || name == "tr" || name == "td" || name == "th" ||
               name == "li" || name == "ul" || name == "ol" || name == "dd" || name == "dt" ||
               (name[0] == 'h' && name[1] >= '1' && name[1] <= '6');
    case 3:
        return name == "div" || name == "pre";
    case 5:
        return name == "table" || name == "title";
    case 10:
        return name == "blockquote";
    default:
        return false;
    }
}

// Elements whose content is plain text up to their end tag, and left out.
inline bool isHiddenWhole(std::string_view name)
{
    return name == "style" || name == "script" || name == "xml";
}

// Start tags that end a head left open: the body's, and a block's other than the title's.
inline bool endsHead(std::string_view name)
{
    return name == "body" || (isBlock(name) && name != "title");
}

} // namespace MarkupNames
