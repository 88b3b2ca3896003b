#!/usr/bin/python3
"""Exports a training checkpoint as the ONNX graph the engine runs through
OpenCV's DNN module: opset 11, input (N, 1, 32, W) with W free, output
log-probabilities (N, 1, W / 4, C). Batch normalisation is folded into the
convolutions, Identity nodes are removed (OpenCV 4.6 trips on them) and the
weights are stored in half precision (the engine widens them when loading).

Usage: export.py CHECKPOINT OUT.onnx
"""
import os
import sys

import numpy as np
import onnx
import torch
from onnx import numpy_helper

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import model as recogniser  # noqa: E402


def strip_identities(graph):
    """Rewires every consumer of an Identity node's output to its input."""
    renames = {}
    for node in list(graph.node):
        if node.op_type == 'Identity':
            renames[node.output[0]] = node.input[0]
            graph.node.remove(node)

    def resolve(name):
        while name in renames:
            name = renames[name]
        return name
    for node in graph.node:
        for i, name in enumerate(node.input):
            node.input[i] = resolve(name)
    for out in graph.output:
        if out.name in renames:
            # Keep the graph's output name: let the producing node write it.
            src = resolve(out.name)
            for node in graph.node:
                for i, name in enumerate(node.output):
                    if name == src:
                        node.output[i] = out.name
            for node in graph.node:
                for i, name in enumerate(node.input):
                    if name == src:
                        node.input[i] = out.name


def to_half(graph):
    for i, init in enumerate(graph.initializer):
        if init.data_type == onnx.TensorProto.FLOAT:
            graph.initializer[i].CopyFrom(numpy_helper.from_array(numpy_helper.to_array(init).astype(np.float16),
                                                                  init.name))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    state = torch.load(sys.argv[1], map_location='cpu')
    model = recogniser.Recognizer(state['classes'], state['width'])
    model.load_state_dict(state['model'])
    model.eval()
    example = torch.zeros(1, 1, recogniser.HEIGHT, 160)
    tmp = sys.argv[2] + '.tmp'
    torch.onnx.export(model, example, tmp, opset_version=11, input_names=['line'], output_names=['log_probs'],
                      dynamic_axes={'line': {3: 'width'}, 'log_probs': {2: 'steps'}}, do_constant_folding=True)
    graph_model = onnx.load(tmp)
    os.remove(tmp)
    strip_identities(graph_model.graph)
    to_half(graph_model.graph)
    onnx.save(graph_model, sys.argv[2])
    print(f"{sys.argv[2]}: {os.path.getsize(sys.argv[2]) / 1e6:.1f} MB, {state['step']} steps, "
          f"{state['lines']} lines, {state['seconds'] / 60:.0f} min")


if __name__ == '__main__':
    main()
