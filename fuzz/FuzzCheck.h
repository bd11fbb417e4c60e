#pragma once
// A broken property of a parser's answer ends the run at once, so the fuzzer keeps the
// input that showed it.

#include <cstdlib>

inline void Check(bool condition)
{
    if (!condition)
        std::abort();
}
