#include "printout_pdf.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QIODevice>
#include <QPdfWriter>
#include <QPrinter>
#include <cerrno>
#include <cstring>
#include <fcntl.h>

#include "painter_canvas.h"
#include "util/atomic_file.h"
#include "util/read_file.h"
#include "util/text.h"

#ifdef _WIN32
#include <io.h>

#include "util/win32_text.h"
#else
#include <unistd.h>
#endif

namespace zelkor {

namespace {

// The PDF writer's output: a file whose every write is checked, keeping the
// system's reason for the first that fails (a full disk, a size limit).
class CheckedFile : public QIODevice {
 public:
  explicit CheckedFile(const std::string& path) {
#ifdef _WIN32
    fd_ = _wopen(Wide(path).c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY | _O_NOINHERIT, 0644);
#else
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
#endif
    if (fd_ < 0) {
      failure_ = std::strerror(errno);
      return;
    }
    QIODevice::open(QIODevice::WriteOnly);
  }
  ~CheckedFile() override { closeFile(); }
  bool isSequential() const override { return true; }
  const std::string& failure() const { return failure_; }
  // Flushes to the disk and closes; false (and failure()) when that fails.
  bool closeFile() {
    if (fd_ < 0) return failure_.empty();
#ifdef _WIN32
    const bool synced = _commit(fd_) == 0;
    const bool closed = _close(fd_) == 0;
#else
    const bool synced = fsync(fd_) == 0;
    const bool closed = ::close(fd_) == 0;
#endif
    if ((!synced || !closed) && failure_.empty()) failure_ = std::strerror(errno);
    fd_ = -1;
    QIODevice::close();
    return failure_.empty();
  }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 size) override {
    if (!failure_.empty()) return -1;
    qint64 done = 0;
    while (done < size) {
      const auto chunk = static_cast<unsigned>(std::min<qint64>(size - done, 1 << 20));
#ifdef _WIN32
      const int n = _write(fd_, data + done, chunk);
#else
      const auto n = ::write(fd_, data + done, chunk);
#endif
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        failure_ = n < 0 ? std::strerror(errno) : "nothing could be written";
        return -1;
      }
      done += n;
    }
    return done;
  }

 private:
  int fd_ = -1;
  std::string failure_;
};

// A PDF is whole when it starts as one and its last line is "%%EOF".
bool WholePdf(const std::string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return false;
  if (bytes.rfind("%PDF-", 0) != 0) return false;
  while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r' || bytes.back() == ' ')) bytes.pop_back();
  return bytes.size() >= 5 && bytes.compare(bytes.size() - 5, 5, "%%EOF") == 0;
}

}  // namespace

int WritePrintoutPdf(const PrintInputs& inputs, const std::string& path, std::string* reason) {
  const std::string temp = path + Format(".part-%lld", static_cast<long long>(QCoreApplication::applicationPid()));
  CheckedFile file(temp);
  if (!file.isOpen()) {
    *reason = QFileInfo(QFileInfo(QString::fromStdString(temp)).path()).isDir() ? file.failure()
                                                                                : "the folder does not exist";
    return -1;
  }
  int pages = 0;
  bool painted = false;
  {
    // The pages of the printer's default paper at its high resolution, as
    // the printed copy has them.
    const QPrinter printer(QPrinter::HighResolution);
    QPdfWriter writer(&file);
    writer.setResolution(printer.resolution());
    writer.setPageLayout(printer.pageLayout());
    writer.setCreator("NVKZelkor");
    PainterCanvas canvas(writer);
    pages = RunPrintJob(canvas, inputs);
    painted = canvas.finish();
  }
  const bool closed = file.closeFile();
  std::string why;
  if (!closed) why = file.failure();
  else if (!painted) why = "the pages could not be drawn";
  else if (pages > 0 && !WholePdf(temp)) why = "the PDF came out incomplete";
  if (!why.empty()) {
    DiscardFile(temp);
    *reason = why;
    return -1;
  }
  if (!MoveIntoPlace(temp, path, reason)) return -1;
  return pages;
}

}  // namespace zelkor
