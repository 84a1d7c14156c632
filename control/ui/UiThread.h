// Controls are touched only on the thread they live on (the user-interface thread). A setter
// called from elsewhere (the playback timer's thread) hands itself over with this.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <utility>

namespace trevix {

// False when the caller runs on object's thread and should go on. Otherwise call is queued to
// object's thread (and dropped if the object is gone by then) and the result is true.
template <typename Call>
bool HandedToOwnThread(QObject* object, Call&& call) {
    if (QThread::currentThread() == object->thread())
        return false;
    QMetaObject::invokeMethod(object, std::forward<Call>(call), Qt::QueuedConnection);
    return true;
}

} // namespace trevix
