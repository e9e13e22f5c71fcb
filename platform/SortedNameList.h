// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orlika {

// Three-way comparison of two names: negative, zero or positive.
using NameComparer = std::function<int(const std::string&, const std::string&)>;

/// The default collation: byte-wise with ASCII letters folded to one case, so that
/// results do not depend on the machine's locale. The desktop program injects the user's.
int foldedCompare(const std::string& a, const std::string& b);

// A sorted list of file names. The collation orders the names; names it calls equal
// ("a.DST" and "a.dst") are still two files on Linux, so identity is the exact bytes and
// byte order breaks the collation's ties, which keeps the order total and stable.
class SortedNameList {
public:
    explicit SortedNameList(NameComparer compare = foldedCompare) : m_compare(std::move(compare)) {}

    /// Adds a name at its sorted place; false when exactly this name is already present.
    bool add(const std::string& name);
    /// Adds many names at once, each at its sorted place, in one sort and one merge rather
    /// than an insertion each (a selection of tens of thousands of designs); returns how
    /// many were not present.
    int addAll(std::vector<std::string> names);
    /// Position of exactly this name, or -1 when it is absent.
    int indexOf(const std::string& name) const;
    /// Position of this name, else of the first name the collation calls equal, else -1:
    /// a name typed in another letter case still finds its file.
    int indexOfPreferringExact(const std::string& name) const;
    bool contains(const std::string& name) const { return indexOf(name) >= 0; }
    /// Removes exactly this name if present; false otherwise.
    bool remove(const std::string& name);
    void clear() { m_names.clear(); }
    int count() const { return int(m_names.size()); }
    bool empty() const { return m_names.empty(); }
    const std::string& operator[](int index) const { return m_names.at(std::size_t(index)); }
    const std::vector<std::string>& names() const { return m_names; }
    void setComparer(NameComparer compare);
    const NameComparer& comparer() const { return m_compare; }

private:
    /// The list's order: the collation, then bytes.
    bool before(const std::string& a, const std::string& b) const;

    NameComparer m_compare;
    std::vector<std::string> m_names;
};

} // namespace orlika
