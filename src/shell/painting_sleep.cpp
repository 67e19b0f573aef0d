#include "shell/painting_sleep.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>

namespace krn::shell {

void PaintingSleep(int milliseconds) {
  constexpr qint64 kSliceMs = 10;
  QElapsedTimer waited;
  waited.start();
  for (qint64 left = milliseconds; left > 0; left = milliseconds - waited.elapsed()) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(static_cast<unsigned long>(std::min(left, kSliceMs)));
  }
}

}  // namespace krn::shell
