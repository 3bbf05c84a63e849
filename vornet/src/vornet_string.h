#pragma once

#include <cstdint>

#include "vornet_memory.h"

namespace Vornet_Private {

// The library's string: a zero-terminated buffer that grows to exactly what
// it needs and is never shrunk by assignment, with an optional maximum
// buffer size. An empty string holds no buffer.
class STRING : public HookAllocated {
public:
    STRING() = default;
    STRING(const char* text) { assign(text); }
    STRING(const char* text, int32_t bytes) { assign(text, bytes); }
    STRING(const STRING& other) { assign(other.m_buffer); }
    explicit STRING(int value);
    ~STRING() { release(); }

    void release();
    // bytes counts the terminator; -1 takes the whole text.
    void assign(const char* text, int32_t bytes = -1);
    void append(const char* text, int32_t bytes = -1);
    void appendChar(char c);

    STRING& operator=(const char* text);
    STRING& operator=(const STRING& other);
    STRING& operator=(char c);
    STRING& operator+=(const char* text);
    STRING& operator+=(const STRING& other);
    STRING& operator+=(char c);

    // Null without buffer.
    const char* getBuffer() const { return m_buffer; }
    int32_t getLength() const;
    int32_t getAllocatedSize() const { return m_allocated; }
    int32_t getMaxLength() const { return m_maxLength; }

    int32_t find(char c) const;
    void toUpper();
    void toLower();

    // Strings without buffer compare unequal and unordered to everything.
    bool operator==(const STRING& other) const;
    bool operator==(const char* text) const;
    bool operator<(const STRING& other) const;
    bool operator>(const STRING& other) const;

    // Grows the buffer to reach the index; fatal beyond a set maximum.
    char& operator[](int32_t index);
    void grow(int32_t bytes);

    STRING getLeft(int32_t count) const;
    STRING getRight(int32_t index) const;
    STRING getMid(int32_t index, int32_t count) const;
    void shiftLeft(int32_t position, int32_t count);

    void format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // Copies at most size - 1 characters and a terminator.
    void copyTo(char* destination, int32_t size) const;
    // -1 lifts the limit; with reallocate the buffer is cut to the maximum.
    void setMaxLength(int32_t maximum, bool reallocate);

private:
    bool replaceBuffer(int32_t size, int32_t keepBytes);
    bool fitsMaximum(int32_t size) const { return m_maxLength < 0 || size <= m_maxLength; }

    char* m_buffer = nullptr;
    int32_t m_allocated = 0;
    int32_t m_maxLength = -1;
};

STRING operator+(const STRING& left, const char* right);
STRING operator+(const char* left, const STRING& right);
STRING operator+(const STRING& left, char right);

}  // namespace Vornet_Private
