#pragma once
// The program's growable array: elements by value, in insertion order.
// It wraps std::vector so every list of the program (problems, registry items,
// strings) shares one set of names and one set of bounds rules.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

template <typename T>
class CArrayEx {
public:
    CArrayEx() = default;
    virtual ~CArrayEx() = default;
    CArrayEx(const CArrayEx&) = default;
    CArrayEx& operator=(const CArrayEx&) = default;
    CArrayEx(CArrayEx&&) noexcept = default;
    CArrayEx& operator=(CArrayEx&&) noexcept = default;

    // Appends a copy and returns its index.
    std::ptrdiff_t Add(const T& element)
    {
        m_items.push_back(element);
        return static_cast<std::ptrdiff_t>(m_items.size()) - 1;
    }
    std::ptrdiff_t Add(T&& element)
    {
        m_items.push_back(std::move(element));
        return static_cast<std::ptrdiff_t>(m_items.size()) - 1;
    }

    [[nodiscard]] std::ptrdiff_t GetSize() const { return static_cast<std::ptrdiff_t>(m_items.size()); }
    [[nodiscard]] bool IsEmpty() const { return m_items.empty(); }

    // Grows with default-constructed elements or cuts at the end; 0 empties the array.
    void SetSize(std::ptrdiff_t size) { m_items.resize(size < 0 ? 0 : static_cast<std::size_t>(size)); }

    // Out-of-range indices throw std::out_of_range rather than corrupting memory.
    T& operator[](std::ptrdiff_t index) { return m_items.at(static_cast<std::size_t>(index)); }
    const T& operator[](std::ptrdiff_t index) const { return m_items.at(static_cast<std::size_t>(index)); }
    T& GetAt(std::ptrdiff_t index) { return (*this)[index]; }
    const T& GetAt(std::ptrdiff_t index) const { return (*this)[index]; }

    // Removes count elements starting at index; the rest keep their order.
    void RemoveAt(std::ptrdiff_t index, std::ptrdiff_t count = 1)
    {
        if (index < 0 || count < 0 || index + count > GetSize())
            throw std::out_of_range("CArrayEx::RemoveAt");
        m_items.erase(m_items.begin() + index, m_items.begin() + index + count);
    }

    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    std::vector<T> m_items;
};

class CStringArrayEx : public CArrayEx<std::wstring> {};
