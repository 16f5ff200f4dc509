// The program's one random generator (Park-Miller, multiplier 48271, Schrage's method).
#include "platform/random.h"

#include <cmath>
#include <cstdint>

namespace platform {
namespace {

constexpr std::int32_t kStartState = 4660;
constexpr std::int32_t kModulus = 2147483647;  // 2^31 - 1
constexpr std::int32_t kMultiplier = 48271;
constexpr std::int32_t kQuotient = 44488;   // kModulus div kMultiplier
constexpr std::int32_t kRemainder = 3399;   // kModulus mod kMultiplier

std::int32_t state = kStartState;

std::int32_t Step() {
    std::int32_t next = (state % kQuotient) * kMultiplier - (state / kQuotient) * kRemainder;
    if (next < 0) next += kModulus;
    state = next;
    return state;
}

// A uniform real in [0, 1) made of two steps, so it carries more than 31 bits.
double Unit() {
    const double a = Step() & 536870908;
    const double b = Step() & 536870904;
    return (a + b / 134217728.0) / 536870912.0;
}

}  // namespace

void SeedRnd(int seed) {
    const std::int32_t bits = seed & 0x7fffffff;
    state = (bits == 0 || bits == 0x7fffffff) ? kStartState : bits;
}

int RndState() { return state; }

double Rnd(double a, double b) {
    const double u = Unit();
    return b > a ? a + u * (b - a) : b + u * (a - b);
}

int Rand(int a, int b) {
    const double u = Unit();
    const long long d = static_cast<long long>(b) - a;
    if (d > 0) return static_cast<int>(a + static_cast<long long>(u * static_cast<double>(d + 1)));
    return static_cast<int>(b + static_cast<long long>(u * static_cast<double>(1 - d)));
}

double Sin(double degrees) { return std::sin(degrees * M_PI / 180.0); }
double Cos(double degrees) { return std::cos(degrees * M_PI / 180.0); }

}  // namespace platform
