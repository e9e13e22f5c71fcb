// SPDX-License-Identifier: MIT
#include "platform/SortedNameList.h"

#include <algorithm>
#include <iterator>

namespace orlika {

int foldedCompare(const std::string& a, const std::string& b)
{
    const auto fold = [](unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : int(c); };
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const int diff = fold((unsigned char)a[i]) - fold((unsigned char)b[i]);
        if (diff != 0)
            return diff;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool SortedNameList::before(const std::string& a, const std::string& b) const
{
    const int order = m_compare(a, b);
    return order != 0 ? order < 0 : a < b;
}

bool SortedNameList::add(const std::string& name)
{
    const auto at = std::lower_bound(m_names.begin(), m_names.end(), name,
                                     [this](const std::string& a, const std::string& b) { return before(a, b); });
    if (at != m_names.end() && *at == name)
        return false;
    m_names.insert(at, name);
    return true;
}

int SortedNameList::addAll(std::vector<std::string> names)
{
    const auto order = [this](const std::string& a, const std::string& b) { return before(a, b); };
    std::sort(names.begin(), names.end(), order);
    names.erase(std::unique(names.begin(), names.end()), names.end());
    std::vector<std::string> merged;
    merged.reserve(m_names.size() + names.size());
    // The order is total (bytes break ties), so a name in both lists is one element.
    std::set_union(std::make_move_iterator(m_names.begin()), std::make_move_iterator(m_names.end()),
                   std::make_move_iterator(names.begin()), std::make_move_iterator(names.end()),
                   std::back_inserter(merged), order);
    const int added = int(merged.size() - m_names.size());
    m_names = std::move(merged);
    return added;
}

int SortedNameList::indexOf(const std::string& name) const
{
    const auto at = std::lower_bound(m_names.begin(), m_names.end(), name,
                                     [this](const std::string& a, const std::string& b) { return before(a, b); });
    if (at == m_names.end() || *at != name)
        return -1;
    return int(at - m_names.begin());
}

int SortedNameList::indexOfPreferringExact(const std::string& name) const
{
    const int exact = indexOf(name);
    if (exact >= 0)
        return exact;
    const auto at = std::lower_bound(m_names.begin(), m_names.end(), name,
                                     [this](const std::string& a, const std::string& b) { return m_compare(a, b) < 0; });
    if (at == m_names.end() || m_compare(*at, name) != 0)
        return -1;
    return int(at - m_names.begin());
}

bool SortedNameList::remove(const std::string& name)
{
    const int index = indexOf(name);
    if (index < 0)
        return false;
    m_names.erase(m_names.begin() + index);
    return true;
}

void SortedNameList::setComparer(NameComparer compare)
{
    m_compare = std::move(compare);
    std::vector<std::string> old;
    old.swap(m_names);
    for (const auto& name : old)
        add(name);
}

} // namespace orlika
