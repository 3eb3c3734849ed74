#include "jpeg/area_weights.h"

#include <algorithm>
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

// The largest |Basis(n, k)| over the samples of a transform of `size`.
float Most(int k, int size) {
    double most = 0;
    for (int n = 0; n < size; ++n) most = std::max(most, std::fabs(Basis(n, k, size)));
    return static_cast<float>(most);
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

std::array<float, 64> JpegReachWeights(const JpegFrame& frame, int c) {
    const JpegComponent& component = frame.components[c];
    const int sizeX = 8 * JpegUpsampling(frame.maxH / component.h);
    const int sizeY = 8 * JpegUpsampling(frame.maxV / component.v);
    std::array<float, 64> weights{};
    for (int k = 1; k < 64; ++k) {
        const int position = kJpegZigzag[static_cast<std::size_t>(k)];
        weights[static_cast<std::size_t>(k)] = static_cast<float>(frame.quant[component.quant][position]) *
                                               Most(position % 8, sizeX) * Most(position / 8, sizeY);
    }
    return weights;
}
