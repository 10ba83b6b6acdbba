#include "dictionary/affixrules.h"

#include <QList>
#include <QString>

namespace {

std::u32string toUtf32(const QByteArray& bytes)
{
    const QList<uint> units = QString::fromUtf8(bytes).toUcs4();
    return std::u32string(units.begin(), units.end());
}

// "0" stands for nothing in a rule's strip and add fields.
std::u32string field(const QByteArray& bytes)
{
    return bytes == "0" ? std::u32string() : toUtf32(bytes);
}

} // namespace

bool AffixRules::parse(const QByteArray& text)
{
    m_flags.clear();
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // A header line ("SFX flag Y count") has four fields; a rule has five (a sixth and
        // more, morphological notes, are not read).
        if (fields.size() < 5 || fields[0] != "SFX" || fields[1].size() != 1)
            continue;
        Rule rule;
        rule.strip = field(fields[2]);
        rule.add = field(fields[3].split('/').first());
        const std::u32string condition = toUtf32(fields[4]);
        bool valid = true;
        for (size_t i = 0; i < condition.size() && valid; ++i) {
            ConditionUnit unit;
            if (condition[i] == U'.') {
                unit.any = true;
            } else if (condition[i] == U'[') {
                const size_t close = condition.find(U']', i);
                valid = close != std::u32string::npos;
                if (!valid)
                    break;
                unit.negated = i + 1 < close && condition[i + 1] == U'^';
                unit.characters =
                    condition.substr(i + 1 + unit.negated, close - i - 1 - unit.negated);
                i = close;
            } else {
                unit.characters = condition.substr(i, 1);
            }
            rule.condition.push_back(unit);
        }
        if (valid)
            m_flags[char32_t(fields[1][0])].rules.push_back(std::move(rule));
    }
    for (auto& [flag, rules] : m_flags) {
        // The last characters a rule takes: its strip's last, else its condition's last unit's.
        std::vector<std::u32string> lasts(rules.rules.size());
        std::u32string named;
        for (size_t i = 0; i < rules.rules.size(); ++i) {
            const Rule& rule = rules.rules[i];
            if (!rule.strip.empty())
                lasts[i] = rule.strip.substr(rule.strip.size() - 1);
            else if (!rule.condition.empty() && !rule.condition.back().any &&
                     !rule.condition.back().negated)
                lasts[i] = rule.condition.back().characters;
            named += lasts[i];
        }
        for (const char32_t last : named)
            rules.byLast.emplace(last, std::vector<size_t>());
        for (size_t i = 0; i < rules.rules.size(); ++i) {
            if (lasts[i].empty())
                rules.anyLast.push_back(i);
            for (auto& [last, list] : rules.byLast) {
                if (lasts[i].empty() || lasts[i].find(last) != std::u32string::npos)
                    list.push_back(i);
            }
        }
    }
    return !m_flags.empty();
}

bool AffixRules::meets(const std::u32string& word, const std::vector<ConditionUnit>& condition)
{
    if (condition.size() > word.size())
        return false;
    const size_t from = word.size() - condition.size();
    for (size_t i = 0; i < condition.size(); ++i) {
        const ConditionUnit& unit = condition[i];
        if (unit.any)
            continue;
        const bool listed = unit.characters.find(word[from + i]) != std::u32string::npos;
        if (listed == unit.negated)
            return false;
    }
    return true;
}

bool AffixRules::applies(const std::u32string& word, const Rule& rule)
{
    return rule.strip.size() <= word.size() &&
           word.compare(word.size() - rule.strip.size(), rule.strip.size(), rule.strip) == 0 &&
           meets(word, rule.condition) && !(word.size() == rule.strip.size() && rule.add.empty());
}

size_t AffixRules::forms(const std::u32string& word, std::u32string_view flags,
                         std::vector<std::u32string>& out) const
{
    size_t count = 0;
    const auto next = [&out, &count]() -> std::u32string& {
        if (count == out.size())
            out.emplace_back();
        return out[count++];
    };
    next() = word;
    forEachForm(word, flags, [&](size_t kept, std::u32string_view add) {
        std::u32string& form = next();
        form.assign(word, 0, kept);
        form += add;
    });
    return count;
}
