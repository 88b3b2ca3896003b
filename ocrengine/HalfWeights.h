#pragma once
#include <vector>

// The recogniser's ONNX graph is shipped with its weights in half precision
// (half the size); OpenCV 4.6 reads only single-precision tensors. This
// rewrites every FLOAT16 initializer of the graph as FLOAT, leaving the rest
// of the protobuf message as it is. Empty when the message is malformed.
std::vector<char> widenHalfWeights(const std::vector<char>& onnx);

float halfToFloat(unsigned short h);
