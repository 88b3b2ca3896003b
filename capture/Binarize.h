#pragma once
// Black-and-white conversion of a cut image by Otsu's threshold on the grey
// level (blue + green + red) div 3.
#include <QImage>

// Expects a 24-bit image (QImage::Format_RGB888); other formats are measured on
// a 24-bit copy. A null or empty image gives 0.
int otsuThreshold(const QImage& image);
// Every pixel with grey <= threshold becomes black, every other white. An image
// of another format is first converted in place to Format_RGB888. Only the
// pixel bytes of each row are touched, never the row padding.
void binarizeBitmap(QImage& image);
