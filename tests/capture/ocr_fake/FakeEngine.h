#pragma once
// Control surface of the scripted engine library used by the binding tests.
#include <cstdint>

struct FakeLine {
    bool hasHandle;
    const char* text;   // null: no text delivered
    bool hasBox;
    float box[8];
};

// What the last RunOcrPipeline saw.
struct FakeRunRecord {
    int32_t type, width, height, reserved;
    int64_t stride;
    uint8_t firstPixel[4];
    uint8_t lastPixel[4];
    uint16_t x87ControlWord;
    uint32_t mxcsr;
    char modelName[64];
    char modelKey[64];
    int64_t maxLines;
    int runs;
};

extern "C" {
using FakeScriptFn = void (*)(const FakeLine* lines, int count, int64_t runStatus);
using FakeRecordFn = const FakeRunRecord* (*)();
}
