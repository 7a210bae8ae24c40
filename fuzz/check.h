// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <exception>
#include <string>

// The properties the fuzz targets demand. A broken property is a finding: under
// libFuzzer the process aborts with the message, so the input is kept as a crash;
// the corpus replay turns it into a test failure instead.
namespace fuzz {

class Failure : public std::exception
{
public:
    explicit Failure(std::string what) : m_what(std::move(what)) {}
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    std::string m_what;
};

// From now on a broken property throws Failure rather than aborting.
void throwOnFailure();

[[noreturn]] void fail(const char *file, int line, const QString &what);

// Quoted, with every character outside printable ASCII as \uXXXX.
QString shown(const QString &text);

} // namespace fuzz

#define FUZZ_CHECK(condition, what) \
    do { \
        if (!(condition)) \
            ::fuzz::fail(__FILE__, __LINE__, QStringLiteral(#condition ": ") + (what)); \
    } while (false)
