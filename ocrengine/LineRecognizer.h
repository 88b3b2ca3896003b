#pragma once
// The engine's own line recogniser: a convolutional network trained on
// rendered CAD lettering (ocrengine/training/), run through OpenCV's DNN
// module. It reads one line view: 32 pixels high, dark on light, any width.
#include <memory>
#include <string>
#include <vector>

struct LineReading {
    std::string text;        // UTF-8, blanks as the network emits them
    float confidence = 0;    // mean over characters of their peak probability; 0 when empty
    float weakest = 0;       // the least sure character's peak probability
};

class LineRecognizer {
public:
    LineRecognizer();
    ~LineRecognizer();
    // onnx: the graph with its weights; charset: one character per line, the
    // blank first (class i + 1 is line i). False when either is unusable.
    bool load(const std::vector<char>& onnx, const std::string& charset);
    LineReading read(const std::vector<uint8_t>& view, int width, int height) const;
    static constexpr int kHeight = 32;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
