#include "ocrengine/LineRecognizer.h"

#include "ocrengine/HalfWeights.h"

#include <opencv2/core.hpp>
#include <opencv2/dnn.hpp>

#include <cmath>
#include <sstream>

struct LineRecognizer::Impl {
    mutable cv::dnn::Net net;
    std::vector<std::string> classes;  // class 0 is the CTC blank
};

LineRecognizer::LineRecognizer() : impl_(std::make_unique<Impl>()) {}
LineRecognizer::~LineRecognizer() = default;

bool LineRecognizer::load(const std::vector<char>& onnx, const std::string& charset)
{
    impl_->classes.assign(1, std::string());
    std::istringstream lines(charset);
    std::string c;
    while (std::getline(lines, c))
        if (!c.empty())
            impl_->classes.push_back(c);
    if (impl_->classes.size() < 2 || onnx.empty())
        return false;
    try {
        const std::vector<char> wide = widenHalfWeights(onnx);
        if (wide.empty())
            return false;
        impl_->net = cv::dnn::readNetFromONNX(wide.data(), wide.size());
        impl_->net.setPreferableBackend(cv::dnn::DNN_BACKEND_OPENCV);
        impl_->net.setPreferableTarget(cv::dnn::DNN_TARGET_CPU);
        // One probe tells whether the graph and the character set agree.
        const int dims[4] = {1, 1, kHeight, 16};
        impl_->net.setInput(cv::Mat(4, dims, CV_32F, cv::Scalar(0)));
        const cv::Mat out = impl_->net.forward();
        return out.dims == 4 && out.size[3] == int(impl_->classes.size());
    } catch (const cv::Exception&) {
        return false;
    }
}

LineReading LineRecognizer::read(const std::vector<uint8_t>& view, int width, int height) const
{
    LineReading out;
    if (height != kHeight || width <= 0 || view.size() != size_t(width) * size_t(height))
        return out;
    // Ink 1 on background 0, as trained; the width padded to the network's stride.
    const int padded = (width + 3) / 4 * 4;
    const int dims[4] = {1, 1, kHeight, padded};
    cv::Mat blob(4, dims, CV_32F, cv::Scalar(0));
    float* p = blob.ptr<float>();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p[size_t(y) * size_t(padded) + size_t(x)] = (255.f - view[size_t(y) * size_t(width) + size_t(x)]) / 255.f;
    cv::Mat result;
    try {
        impl_->net.setInput(blob);
        result = impl_->net.forward();
    } catch (const cv::Exception&) {
        return out;
    }
    if (result.dims != 4 || result.size[3] != int(impl_->classes.size()))
        return out;
    const int steps = std::min(result.size[2], width / 4);
    const int classes = result.size[3];
    const float* lp = result.ptr<float>();
    int last = 0;
    double sum = 0;
    int count = 0;
    float weakest = 1;
    float peak = 0;
    for (int t = 0; t < steps; ++t) {
        const float* row = lp + size_t(t) * size_t(classes);
        int best = 0;
        for (int k = 1; k < classes; ++k)
            if (row[k] > row[best])
                best = k;
        const float prob = std::exp(row[best]);
        if (best != 0 && best != last) {
            if (count > 0) {
                sum += peak;
                weakest = std::min(weakest, peak);
            }
            out.text += impl_->classes[size_t(best)];
            ++count;
            peak = prob;
        } else if (best != 0) {
            peak = std::max(peak, prob);
        }
        last = best;
    }
    if (count > 0) {
        sum += peak;
        weakest = std::min(weakest, peak);
        out.confidence = float(sum / count);
        out.weakest = weakest;
    }
    return out;
}
