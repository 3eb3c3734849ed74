#include "jpeg/area_weights.h"

#include <cmath>
#include <numbers>

namespace {

double Basis(int n, int k, int size) {
    const double scale = k == 0 ? 0.5 / std::sqrt(2.0) : 0.5;
    return scale * std::cos((2 * n + 1) * k * std::numbers::pi / (2 * size));
}

// The mean of samples [first, first + count) of coefficient k. Weights that
// vanish in exact arithmetic are made exactly zero, so that a reduction
// that needs only the DC can skip the rest.
float MeanWeight(int first, int count, int k, int size) {
    double sum = 0;
    for (int n = first; n < first + count; ++n) sum += Basis(n, k, size);
    const double mean = sum / count;
    return std::fabs(mean) < 1e-9 ? 0.0f : static_cast<float>(mean);
}

}  // namespace

JpegAxisWeights MakeJpegAxisWeights(int length, int reduction, int upsampling) {
    JpegAxisWeights weights;
    const int size = 8 * upsampling;
    weights.upsampling = upsampling;
    weights.outputs = size / reduction;
    for (int m = 0; m < weights.outputs; ++m) {
        for (int k = 0; k < 8; ++k) {
            weights.inner[m * 8 + k] = MeanWeight(m * reduction, reduction, k, size);
        }
    }
    for (int n = 0; n < size; ++n) {
        for (int k = 0; k < 8; ++k) weights.samples[n * 8 + k] = MeanWeight(n, 1, k, size);
    }
    weights.edge = weights.inner;
    const int outputs = (length + reduction - 1) / reduction;
    const int last = length - (outputs - 1) * reduction;  // pixels the last output covers
    if (last < reduction) {
        const int first = (outputs - 1) * reduction;
        weights.edgeBlock = first / size;
        const int m = (first % size) / reduction;
        for (int k = 0; k < 8; ++k) weights.edge[m * 8 + k] = MeanWeight(first % size, last, k, size);
    }
    return weights;
}
