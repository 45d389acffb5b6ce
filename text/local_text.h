#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Byte text in code page 936 (or, before conversion, raw UTF-8). Like the zero-terminated
// text it models it never holds a zero byte: construction stops at the first one.
// The empty text and an absent text are the same value.
class LocalText
{
public:
    LocalText() = default;
    LocalText(const char* text) : LocalText(text ? std::string_view(text) : std::string_view()) {}
    LocalText(std::string_view bytes) : m_bytes(bytes.substr(0, bytes.find('\0'))) {}
    explicit LocalText(const std::string& bytes) : LocalText(std::string_view(bytes)) {}

    std::string_view view() const { return m_bytes; }
    const std::string& str() const { return m_bytes; }
    const char* c_str() const { return m_bytes.c_str(); }
    std::size_t size() const { return m_bytes.size(); }
    bool empty() const { return m_bytes.empty(); }
    unsigned char byte(std::size_t offset) const { return static_cast<unsigned char>(m_bytes[offset]); }
    operator std::string_view() const { return m_bytes; }

    friend bool operator==(const LocalText& a, const LocalText& b) = default;

private:
    std::string m_bytes;
};

// A counted array of bytes; zero bytes allowed.
using ByteSet = std::vector<unsigned char>;

// An ordered list of texts numbered from 1.
class TextArray
{
public:
    int count() const { return static_cast<int>(m_members.size()); }
    // Member n (1 … count); the empty text for a member that does not exist.
    const LocalText& member(int n) const;
    void append(LocalText text) { m_members.push_back(std::move(text)); }

    auto begin() const { return m_members.begin(); }
    auto end() const { return m_members.end(); }

private:
    std::vector<LocalText> m_members;
};

} // namespace qm
