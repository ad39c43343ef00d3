// The document of the main window: the raw bytes of a file opened through
// the shell (a ".gps" file on the command line, or dropped on the window).
// It is kept as read and never written back.
#pragma once

#include <QByteArray>
#include <QString>

namespace zelkor {

class GpsDocument {
 public:
  // Reads the whole file into a buffer one byte longer than the file.
  bool open(const QString& path);
  void clear();
  const QByteArray& bytes() const { return bytes_; }
  const QString& path() const { return path_; }
  qint64 size() const { return size_; }

 private:
  QByteArray bytes_;
  QString path_;
  qint64 size_ = 0;
};

}  // namespace zelkor
