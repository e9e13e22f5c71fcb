// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace orlika {

// Three-way comparison of two names: negative, zero (equal: a duplicate) or positive.
using NameComparer = std::function<int(const std::string&, const std::string&)>;

/// The default collation: byte-wise with ASCII letters folded to one case, so that
/// results do not depend on the machine's locale. The desktop program injects the user's.
int foldedCompare(const std::string& a, const std::string& b);

// A sorted list of file names in which names that compare equal are kept once.
class SortedNameList {
public:
    explicit SortedNameList(NameComparer compare = foldedCompare) : m_compare(std::move(compare)) {}

    /// Adds a name at its sorted place; false when an equal name is already present.
    bool add(const std::string& name);
    /// Position of the name, or -1 when it is absent.
    int indexOf(const std::string& name) const;
    bool contains(const std::string& name) const { return indexOf(name) >= 0; }
    /// Removes the name if present; false otherwise.
    bool remove(const std::string& name);
    void clear() { m_names.clear(); }
    int count() const { return int(m_names.size()); }
    bool empty() const { return m_names.empty(); }
    const std::string& operator[](int index) const { return m_names.at(std::size_t(index)); }
    const std::vector<std::string>& names() const { return m_names; }
    void setComparer(NameComparer compare);

private:
    std::vector<std::string>::const_iterator lowerBound(const std::string& name) const;

    NameComparer m_compare;
    std::vector<std::string> m_names;
};

} // namespace orlika
