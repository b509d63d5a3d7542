#pragma once

#include <QIcon>
#include <QPixmap>
#include <functional>
#include <map>
#include <utility>
#include <vector>

class QPainter;

// A list of 16x16 images drawn in code, so they stay sharp at any screen scale: each image is
// painted again for the pixel ratio of the device it goes to.
class TImageList {
public:
    static constexpr int Size = 16;
    // Paints one image on a 16x16 logical area.
    using Painter = std::function<void(QPainter&)>;

    explicit TImageList(std::vector<Painter> images);

    // Index 0 an empty check box, index 1 a ticked one.
    static TImageList CheckBoxes();
    // Index 0 a red thumbs-down, index 1 a green thumbs-up.
    static TImageList Thumbs();

    int Count() const { return int(images_.size()); }
    // Draws the image with its top-left corner at (x, y) in the painter's coordinates.
    void Draw(QPainter& painter, int x, int y, int index) const;
    QIcon Icon(int index) const;
    QPixmap Pixmap(int index, qreal devicePixelRatio) const;

private:
    std::vector<Painter> images_;
    mutable std::map<std::pair<int, qreal>, QPixmap> cache_;
};
