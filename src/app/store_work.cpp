#include "store_work.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QThread>
#include <atomic>
#include <memory>
#include <thread>

namespace zelkor {

void RunStoreWork(QWidget* parent, const QString& what,
                  const std::function<void(std::function<bool()> cancelled)>& work) {
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::thread worker([&work, cancel, done] {
    work([cancel] { return cancel->load(); });
    done->store(true);
  });
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QElapsedTimer clock;
  clock.start();
  std::unique_ptr<QProgressDialog> progress;
  while (!done->load()) {
    if (!progress && clock.elapsed() >= 500) {
      progress = std::make_unique<QProgressDialog>(what, "Cancel", 0, 0, parent);
      progress->setWindowTitle("Season Store");
      progress->setWindowModality(Qt::ApplicationModal);
      progress->setMinimumDuration(0);
      QProgressDialog* shown = progress.get();
      QObject::connect(shown, &QProgressDialog::canceled, shown, [cancel, shown] {
        cancel->store(true);
        shown->setLabelText("Stopping...");
        shown->show();
      });
      QApplication::restoreOverrideCursor();
      progress->show();
    }
    // Until the progress window stands, clicks wait: nothing else may start
    // while the store is busy.
    QCoreApplication::processEvents(progress ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents, 20);
    QThread::msleep(10);
  }
  worker.join();
  if (progress) progress->close();
  else QApplication::restoreOverrideCursor();
}

}  // namespace zelkor
