// The filter box over the tree: typing narrows the rows to images whose name or ISO volume
// label holds the text (letter case aside), with the folders above them; a folder whose name
// holds it shows all it holds. Ctrl+F reaches it from anywhere in the window, Esc clears it.
#pragma once

#include <QLineEdit>

class QTreeWidget;

class TreeFilter : public QLineEdit
{
    Q_OBJECT
public:
    TreeFilter(QTreeWidget *tree, QWidget *window);

    // Hides the tree's rows that do not match text, opening the folders of those that do
    // (all rows shown again for no text); the number of images that match.
    static int apply(QTreeWidget *tree, const QString &text);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void refilter();

    QTreeWidget *tree;
    bool narrowed = false; // rows may be hidden
};
