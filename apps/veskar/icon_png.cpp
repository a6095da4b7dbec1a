// Build step: the window icon (XPM) as the PNG that the desktop entry names.
#include <QImage>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: veskar-icon-png IN.xpm OUT.png\n");
    return 2;
  }
  QImage image;
  if (!image.load(QString::fromLocal8Bit(argv[1])) ||
      !image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "veskar-icon-png: cannot convert %s to %s\n", argv[1], argv[2]);
    return 1;
  }
  return 0;
}
