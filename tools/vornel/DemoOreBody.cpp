#include "DemoOreBody.h"

#include <algorithm>
#include <cmath>

namespace vornel::cli {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kStrikeDegrees = 60;
constexpr double kDipDegrees = 55;
// Semi-axes down dip and across, relative to the one along strike.
constexpr double kDownDipRatio = 0.6;
constexpr double kAcrossRatio = 0.22;
// How far the mid-plane waves, relative to the half thickness.
constexpr double kWave = 0.25;
constexpr double kHoleSpacing = 50;
// Blocks that the boundary cuts form a shell of about this many times the
// two-thirds power of the blocks wholly inside (measured on this lens's shape).
constexpr double kShell = 4;

double dot(const D_3DOT& a, const D_3DOT& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

D_3DOT cross(const D_3DOT& a, const D_3DOT& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Distance in plan to the nearest hole of the square drilling pattern.
double planDistanceToHole(const D_3DOT& p) {
    const double half = kHoleSpacing / 2;
    const double dx = std::fabs(std::fmod(std::fabs(p.x - half), kHoleSpacing) - half);
    const double dy = std::fabs(std::fmod(std::fabs(p.y - half), kHoleSpacing) - half);
    return std::hypot(half - dx, half - dy);
}

// The lens's volume, in blocks, for which whole and cut blocks together
// number about `blocks`: the root of v + kShell * v^(2/3) = blocks. From
// v = blocks, Newton's method on this concave sum lands below the root, then
// rises to it; a handful of steps reaches it for any count the demo takes.
double insideBlocks(double blocks) {
    double v = blocks;
    for (int i = 0; i < 8; ++i) {
        const double c = std::cbrt(v);
        v -= (v + kShell * c * c - blocks) / (1 + 2 * kShell / (3 * c));
    }
    return v;
}

}  // namespace

DemoOreBody::DemoOreBody(long blocks, double blockEdge) : centre_{5000, 8000, 600} {
    const double volume =
        insideBlocks(static_cast<double>(blocks)) * blockEdge * blockEdge * blockEdge;
    alongStrike_ = std::cbrt(volume / (4.0 / 3.0 * kPi * kDownDipRatio * kAcrossRatio));
    downDip_ = alongStrike_ * kDownDipRatio;
    across_ = alongStrike_ * kAcrossRatio;
    const double az = kStrikeDegrees * kPi / 180;
    const double dipAngle = kDipDegrees * kPi / 180;
    strike_ = {std::sin(az), std::cos(az), 0};
    const D_3DOT dipDirection{std::sin(az + kPi / 2), std::cos(az + kPi / 2), 0};
    down_ = {dipDirection.x * std::cos(dipAngle), dipDirection.y * std::cos(dipAngle),
             -std::sin(dipAngle)};
    normal_ = cross(strike_, down_);
    oxideBase_ = centre_.z + halfExtent().z - 60;
}

double DemoOreBody::strikeAzimuth() const {
    return kStrikeDegrees;
}

double DemoOreBody::dip() const {
    return kDipDegrees;
}

D_3DOT DemoOreBody::halfExtent() const {
    // An ellipsoid reaches sqrt(sum of (axis component * semi-axis)^2) along
    // each direction; the waving mid-plane adds to the thickness.
    const double thick = across_ * (1 + kWave);
    auto reach = [&](double s, double d, double n) {
        return std::sqrt(s * s * alongStrike_ * alongStrike_ + d * d * downDip_ * downDip_ +
                         n * n * thick * thick);
    };
    return {reach(strike_.x, down_.x, normal_.x), reach(strike_.y, down_.y, normal_.y),
            reach(strike_.z, down_.z, normal_.z)};
}

DemoOreBody::Local DemoOreBody::local(const D_3DOT& p) const {
    const D_3DOT q{p.x - centre_.x, p.y - centre_.y, p.z - centre_.z};
    return {dot(q, strike_), dot(q, down_), dot(q, normal_)};
}

double DemoOreBody::midPlane(double s, double d) const {
    return kWave * across_ * std::sin(2 * kPi * s / (0.9 * alongStrike_)) *
           std::cos(2 * kPi * d / (1.1 * downDip_));
}

double DemoOreBody::measure(const D_3DOT& p) const {
    const Local l = local(p);
    const double s = l.s / alongStrike_;
    const double d = l.d / downDip_;
    const double n = (l.n - midPlane(l.s, l.d)) / across_;
    return s * s + d * d + n * n;
}

// Richer in the core, to the north-east along strike and up dip, with a
// smooth local variation of a few hundred metres.
double DemoOreBody::grade(const D_3DOT& p) const {
    const Local l = local(p);
    const double m = std::min(measure(p), 1.0);
    const double trend = (1 + 0.3 * l.s / alongStrike_) * (1 - 0.2 * l.d / downDip_);
    const double wobble =
        (std::sin(p.x / 37 + 0.7) + std::sin(p.y / 53 + 2.1) + std::sin((p.x + p.z) / 71 + 4.4)) /
        3;
    return std::max(0.02, 0.15 + 2.0 * std::pow(1 - m, 1.3) * trend + 0.12 * wobble);
}

DemoEstimate DemoOreBody::estimate(const D_3DOT& p) const {
    const double m = std::min(measure(p), 1.0);
    DemoEstimate e;
    e.grade = grade(p);

    // Holes reach the core at their pattern's spacing; the fringes are known
    // from fewer, farther samples.
    const double r = std::sqrt(m);
    const double distance = planDistanceToHole(p) * (0.6 + 1.2 * r) + 25 * r * r;
    e.variance = 0.1 + 0.9 * (1 - std::exp(-3 * distance / 120));
    e.samples = std::clamp(static_cast<int>(24 - distance / 4), 4, 24);
    e.meanDistance = 0.5 * (distance + 40);
    e.searchPass = distance < 30 ? 1 : distance < 60 ? 2 : 3;
    e.category = distance < 20 ? "Measured" : distance < 45 ? "Indicated" : "Inferred";

    const double oxidised = oxideBase_ + 10 * std::sin(p.x / 150);
    if (p.z > oxidised) {
        e.oreType = "Oxide";
        e.density = 2.45;
    } else if (p.z > oxidised - 30) {
        e.oreType = "Transition";
        e.density = 2.6;
    } else {
        e.oreType = "Sulphide";
        e.density = 2.75;
    }
    return e;
}

}  // namespace vornel::cli
