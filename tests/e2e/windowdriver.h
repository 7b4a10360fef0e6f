// Works the main window as a user would, through its widgets: reads the tree, selects rows,
// drops files onto it with real drag-and-drop events, and waits for the window to settle.
#pragma once

#include <QPoint>
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

class QTreeWidgetItem;
class discShelf;
class isoTreeWidget;

class WindowDriver
{
public:
    // Shows the window: a user works one that is on screen.
    explicit WindowDriver(discShelf &window);
    WindowDriver(const WindowDriver &) = delete;
    WindowDriver &operator=(const WindowDriver &) = delete;

    isoTreeWidget *tree() const;
    // Every row as its path from the top ("/linux", "/linux/tools/memtest86.iso").
    QStringList rows() const;
    QTreeWidgetItem *row(const QString &path) const;
    bool waitForRows(const QStringList &paths, int timeoutMs = 20000) const;
    // The scan cycle at rest, with these rows listed.
    bool waitForReady(const QStringList &paths = {}, int timeoutMs = 20000) const;

    bool select(const QString &path) const;
    // Expands the row's parents and scrolls to it; gives its centre in the viewport.
    QPoint reveal(const QString &path) const;
    void doubleClick(const QString &path) const;
    // Drops local files onto a row, or onto the empty space below the rows for "".
    void drop(const QString &path, const QStringList &files) const;
    // Drags the row at from onto the row at to, as a mouse drag within the tree delivers it.
    void dragRow(const QString &from, const QString &to) const;

    // A batch of copies is showing its progress row.
    bool copying() const;
    bool waitForBatchEnd(int timeoutMs = 120000) const;

    // Titles of message boxes that nobody answered within 20 s and that were closed so that
    // the test can go on and fail instead of waiting for ever.
    QStringList strayBoxes() const { return stray; }

private:
    void closeStrayBox();

    discShelf &w;
    QTimer watchdog;
    QPointer<QWidget> box;
    QElapsedTimer boxShown;
    QStringList stray;
};
