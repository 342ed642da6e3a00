#pragma once
// The session's random generator: uniform single-precision values in [0, 1). Reseed mixes the
// number into the current state; it never restarts a fixed sequence. Never seeded from the clock.
//
// CONTRACT used by the saver session -- keep these signatures.
namespace driftmere {

class Random {
public:
    Random();
    float Next();
    void Reseed(double number);
};

}  // namespace driftmere
