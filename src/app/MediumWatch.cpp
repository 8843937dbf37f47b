#include "app/MediumWatch.h"

#include "platform/messages.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QString>
#include <unistd.h>

namespace {
constexpr int kPollMs = 1000;

std::string parentOf(const std::string& native) {
    const size_t slash = native.rfind('/');
    return slash == std::string::npos ? std::string(".") : native.substr(0, slash ? slash : 1);
}
} // namespace

MediumWatch::MediumWatch(std::function<void()> afterCheck, QObject* parent)
    : QObject(parent), m_afterCheck(std::move(afterCheck)),
      m_watcher(new QFileSystemWatcher(this)) {
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &MediumWatch::check);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &MediumWatch::scheduleCheck);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &MediumWatch::scheduleCheck);
}

MediumWatch::~MediumWatch() = default;

void MediumWatch::setPath(const std::string& path1251) {
    m_path = path1251;
    m_native = nativePath(path1251);
    rewatch();
    m_poll.start();
    scheduleCheck();
}

void MediumWatch::scheduleCheck() {
    if (m_pending) return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        check();
    });
}

void MediumWatch::rewatch() {
    // Watches the file and its folder; either may vanish with the medium and come back later.
    const QStringList want = {QString::fromStdString(m_native),
                              QString::fromStdString(parentOf(m_native))};
    const QStringList have = m_watcher->files() + m_watcher->directories();
    for (const QString& p : want)
        if (!have.contains(p) && QFileInfo::exists(p)) m_watcher->addPath(p);
}

void MediumWatch::check() {
    if (m_checking || m_path.empty()) return; // never re-entered while the box is up
    m_checking = true;
    m_poll.stop();
    while (!isReadable(m_path)) {
        const int answer =
            messageBox(w1251("Вставьте диск с электронной книгой"), w1251("Отсутствует диск"),
                       MsgIcon::Stop, MsgButtons::OkCancel);
        if (answer != IDOK) _exit(3);  // abandoned: nothing is saved, no window handler runs
        m_native = nativePath(m_path); // the medium may come back under another mount
    }
    rewatch();
    m_poll.start();
    m_checking = false;
    if (m_afterCheck) m_afterCheck();
}
