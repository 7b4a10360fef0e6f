#include "ui/treefilter.h"

#include "ui/isotreewidget.h"

#include <QAction>
#include <QKeyEvent>

namespace {

// Whether row or anything below it matches; hides what does not. A folder that matches by its
// own name keeps everything below it.
bool filterRow(QTreeWidgetItem *row, const QString &text, bool shownAbove, int *images)
{
    // A placeholder row tells what the tree is waiting for: never filtered away.
    if (row->data(isoTreeWidget::NameColumn, isoTreeWidget::KindRole).isNull()) {
        row->setHidden(false);
        return false;
    }
    const bool image = isoTreeWidget::isImageRow(row);
    const bool self = row->text(isoTreeWidget::NameColumn).contains(text, Qt::CaseInsensitive)
        || (image
            && row->data(isoTreeWidget::NameColumn, isoTreeWidget::LabelRole)
                   .toString()
                   .contains(text, Qt::CaseInsensitive));
    bool below = false;
    for (int i = 0; i < row->childCount(); ++i)
        below = filterRow(row->child(i), text, shownAbove || (self && !image), images) || below;
    const bool shown = shownAbove || self || below;
    row->setHidden(!shown);
    if (image && (self || shownAbove))
        ++*images;
    if (below && !text.isEmpty())
        row->setExpanded(true);
    return self || below;
}

} // namespace

TreeFilter::TreeFilter(QTreeWidget *tree, QWidget *window)
    : QLineEdit(window)
    , tree(tree)
{
    setObjectName(QStringLiteral("filterBox"));
    setPlaceholderText(tr("Filter by name or volume label (Ctrl+F)"));
    setClearButtonEnabled(true);
    auto *find = new QAction(this);
    find->setObjectName(QStringLiteral("actionFilter"));
    find->setShortcut(QKeySequence::Find);
    window->addAction(find);
    connect(find, &QAction::triggered, this, [this] {
        setFocus(Qt::ShortcutFocusReason);
        selectAll();
    });
    connect(this, &QLineEdit::textChanged, this, &TreeFilter::refilter);
    // A new listing is filtered as the last was.
    if (auto *rows = qobject_cast<isoTreeWidget *>(tree))
        connect(rows, &isoTreeWidget::rowsShown, this, &TreeFilter::refilter);
}

int TreeFilter::apply(QTreeWidget *tree, const QString &text)
{
    int images = 0;
    QTreeWidgetItem *top = tree->invisibleRootItem();
    for (int i = 0; i < top->childCount(); ++i)
        filterRow(top->child(i), text.trimmed(), text.trimmed().isEmpty(), &images);
    return images;
}

void TreeFilter::refilter()
{
    // Rows are made shown: with no text now nor at the last filtering, none is hidden, and a
    // listing of thousands of rows need not be walked.
    const bool narrowing = !text().trimmed().isEmpty();
    if (!narrowing && !narrowed)
        return;
    narrowed = narrowing;
    const int found = apply(tree, text());
    setToolTip(narrowing ? tr("%n images match", nullptr, found) : QString());
}

bool TreeFilter::event(QEvent *event)
{
    // Esc clears the box before the window's own Esc gets it.
    if (event->type() == QEvent::ShortcutOverride
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !text().isEmpty()) {
        event->accept();
        return true;
    }
    return QLineEdit::event(event);
}

void TreeFilter::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !text().isEmpty()) {
        clear();
        tree->setFocus();
        return;
    }
    QLineEdit::keyPressEvent(event);
}
