#pragma once

// The OCR engine's files beside the executable and the key its model is sealed with.
namespace OcrFiles {
inline constexpr const char* kEngineLibrary = "liboneocr.so";
// The recogniser the engine library loads from its own folder; without it nothing is recognised.
inline constexpr const char* kRuntimeLibrary = "liboneocr-recognizer.so";
inline constexpr const char* kModelFile = "oneocr.onemodel";
// 32 printable ASCII characters; the model file carries the same key in its header.
inline constexpr const char* kModelKey = "mXq7Lr2VkP9sD4tWb8Nc3Hf6Jz1Ya5Ge";
// Model file layout: magic, key (32 bytes), then the packed traineddata files.
inline constexpr const char* kModelMagic = "MIRTEXOCRMODEL1\n";
}
