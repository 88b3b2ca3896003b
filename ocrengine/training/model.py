"""The line recogniser: a convolutional feature stack that reduces a 32-pixel
high grey line to one column of features per 4 pixels, a dilated 1-D
convolution sequence head, and a 1x1 convolution as the classifier (far faster
than a linear layer over some 7,000 classes on a CPU). Output: log-probabilities
shaped (N, 1, T, C), class 0 being the CTC blank and class i the i-th line of
charset.txt. The 4-D output and plain convolutions keep the ONNX export loadable
by OpenCV's DNN module at any line width."""
import torch
import torch.nn as nn

HEIGHT = 32
STRIDE = 4  # input pixels per output step


def _conv(i, o, kernel=3, padding=1, dilation=1):
    return [nn.Conv2d(i, o, kernel, padding=padding, dilation=dilation, bias=False), nn.BatchNorm2d(o),
            nn.ReLU(inplace=True)]


class Recognizer(nn.Module):
    def __init__(self, classes, width=160):
        super().__init__()
        self.features = nn.Sequential(
            *_conv(1, 32), nn.MaxPool2d(2),                            # 16 x W/2
            *_conv(32, 64), nn.MaxPool2d(2),                           # 8 x W/4
            *_conv(64, 96), *_conv(96, 96), nn.MaxPool2d((2, 1)),      # 4 x W/4
            *_conv(96, width), *_conv(width, width), nn.MaxPool2d((2, 1)),   # 2 x W/4
            *_conv(width, width, kernel=(2, 1), padding=0))            # 1 x W/4
        self.sequence = nn.ModuleList(
            nn.Sequential(*_conv(width, width, kernel=(1, 3), padding=(0, d), dilation=(1, d))) for d in (1, 2, 4, 1))
        self.classifier = nn.Conv2d(width, classes, 1)

    def logits(self, x):
        """x: (N, 1, 32, W), ink 1 on background 0; result (N, C, 1, W / 4)."""
        f = self.features(x)
        for layer in self.sequence:
            f = f + layer(f)
        return self.classifier(f)

    def forward(self, x):
        return self.logits(x).permute(0, 2, 3, 1).log_softmax(3)


def read_charset(path):
    with open(path, encoding='utf-8') as f:
        return [line.rstrip('\n') for line in f if line.rstrip('\n') != '' or line == ' \n']
