// Pixel colours and their comparison with a tolerance, shared by the pixel tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>

namespace platform {

struct Rgb {
    int r, g, b;
};

inline std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// Each channel within tolerance of the expected colour.
inline ::testing::AssertionResult Near(const Rgb& actual, const Rgb& expected, int tolerance = 3) {
    if (std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
        std::abs(actual.b - expected.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel " << actual << ", expected " << expected;
}

}  // namespace platform
