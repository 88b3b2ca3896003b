#pragma once
#include "ocrengine/Recognizer.h"

// The Tesseract reader (the engine before it had a recogniser of its own):
// Japanese and Japanese_vert traineddata from the packed model.
void* createTesseractReader(const std::vector<std::pair<std::string, std::vector<char>>>* files);
bool runTesseractReader(void* reader, const uint8_t* bgra, int width, int height, int64_t stride, int maxLines,
                        std::vector<RecognizedLine>* lines);
