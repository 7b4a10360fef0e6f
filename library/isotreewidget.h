// The device's folders and images as a tree that takes file drops and names their destination.
#pragma once

#include <QTreeWidget>

class isoTreeWidget : public QTreeWidget
{
    Q_OBJECT
public:
    explicit isoTreeWidget(QWidget *parent);
    ~isoTreeWidget() override;

signals:
    void copyFiles(QString destDir, QStringList filenames);

protected:
    QStringList mimeTypes() const override;
    bool dropMimeData(QTreeWidgetItem *parent, int index, const QMimeData *data,
                      Qt::DropAction action) override;
    Qt::DropActions supportedDropActions() const override;
};
