#pragma once

#include <iostream>
#include <sstream>
#include <string>

// Collects everything written to std::cout while it lives.
class CoutCapture {
public:
    CoutCapture() : m_previous(std::cout.rdbuf(m_captured.rdbuf())) {}
    ~CoutCapture() { std::cout.rdbuf(m_previous); }
    CoutCapture(const CoutCapture&) = delete;
    CoutCapture& operator=(const CoutCapture&) = delete;

    std::string text() const { return m_captured.str(); }

private:
    std::ostringstream m_captured;
    std::streambuf* m_previous;
};
