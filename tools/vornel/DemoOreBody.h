// The synthetic deposit of `vornel demo`: a lens dipping to the south-east
// with a wavy mid-plane, a grade that rises to its core and along strike,
// vertical drill holes on a regular pattern, and an oxidised cap. It is the
// "truth" that the demo's kriged model is made from.
#ifndef VORNEL_CLI_DEMOOREBODY_H
#define VORNEL_CLI_DEMOOREBODY_H

#include <string>

#include "Box.h"

namespace vornel::cli {

// What an estimate at a point would carry.
struct DemoEstimate {
    double grade = 0;  // Cu %
    double variance = 0;
    double meanDistance = 0;
    double density = 0;
    int samples = 0;
    int searchPass = 0;
    const char* category = "";
    const char* oreType = "";
};

class DemoOreBody {
public:
    // Sized so that about `blocks` blocks of `blockEdge` metres, whole or cut
    // by the boundary, make up the model.
    DemoOreBody(long blocks, double blockEdge);

    // 0 at the centre, 1 on the boundary, above 1 outside.
    double measure(const D_3DOT& p) const;
    bool inside(const D_3DOT& p) const { return measure(p) <= 1; }
    DemoEstimate estimate(const D_3DOT& p) const;
    // The grade part of the estimate alone.
    double grade(const D_3DOT& p) const;

    const D_3DOT& centre() const { return centre_; }
    // Half the extent of the lens along X, Y and Z.
    D_3DOT halfExtent() const;
    double strikeAzimuth() const;
    double dip() const;
    // Semi-axes along strike, down dip and across.
    D_3DOT radii() const { return {alongStrike_, downDip_, across_}; }

private:
    struct Local {
        double s, d, n;
    };
    Local local(const D_3DOT& p) const;
    double midPlane(double s, double d) const;

    D_3DOT centre_;
    double alongStrike_;
    double downDip_;
    double across_;
    D_3DOT strike_;
    D_3DOT down_;
    D_3DOT normal_;
    double oxideBase_;  // mean elevation of the oxidised cap's base
};

}  // namespace vornel::cli

#endif
