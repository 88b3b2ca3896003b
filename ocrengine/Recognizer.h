#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Interface between the engine library (liboneocr.so) and the recogniser it loads
// at run time (liboneocr-recognizer.so). Both are built together with one compiler.
struct RecognizedLine {
    std::string text;     // UTF-8
    float box[8];         // corners x1,y1 .. x4,y4 in pixels of the given image
};

// Symbols looked up with dlsym by the engine library.
extern "C" {
// Loads the models from the packed traineddata (name -> bytes); returns an opaque
// recogniser or null. The recogniser lives for the rest of the process.
using RecognizerCreateFn = void* (*)(const std::vector<std::pair<std::string, std::vector<char>>>* files);
// Recognises a BGRA image; fills lines (at most maxLines). False on failure.
using RecognizerRunFn = bool (*)(void* recognizer, const uint8_t* bgra, int width, int height,
                                 int64_t stride, int maxLines, std::vector<RecognizedLine>* lines);
}
inline constexpr const char* kRecognizerCreateSymbol = "mirtexRecognizerCreate";
inline constexpr const char* kRecognizerRunSymbol = "mirtexRecognizerRun";
