#include <cstdlib>

#include "annealing/annealing.hpp"

long double random_uniform(double a, double b) {
    if (a == b) {
        return a;
    }
    const int step = std::rand() % 10000;
    return (step * 0.0001L) * (static_cast<long double>(b) - a) + a;
}
