// A bare Qt Widgets window, for comparing the idle memory of the search window.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget w;
  w.setWindowTitle("bare");
  w.resize(583, 541);
  w.show();
  return QApplication::exec();
}
