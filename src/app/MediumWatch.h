// The medium watch: while the open book's "ebook.ini" cannot be read, the user is asked for the
// book's disc until it is back (OK) or the program is abandoned (Cancel: immediate exit, status 3).
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>

class QFileSystemWatcher;

class MediumWatch : public QObject {
    Q_OBJECT
  public:
    // afterCheck runs after every check that found the file readable.
    explicit MediumWatch(std::function<void()> afterCheck, QObject* parent = nullptr);
    ~MediumWatch() override;

    // The file to watch (reader path); the first check follows at once from the event loop.
    void setPath(const std::string& path1251);
    const std::string& path() const { return m_path; }

    // One check: asks for the disc while the file is unreadable, then runs afterCheck.
    void check();

  private:
    void rewatch();
    void scheduleCheck();

    std::function<void()> m_afterCheck;
    std::string m_path;
    std::string m_native;
    QFileSystemWatcher* m_watcher;
    // A change notice or an unnoticed removal (network folders, some removable media) both lead
    // here; the slow poll costs nothing measurable and keeps the watch working without notices.
    QTimer m_poll;
    bool m_checking = false;
    bool m_pending = false;
};
