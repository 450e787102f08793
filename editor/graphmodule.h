#pragma once
// Base of every tool of the annotation editor: turns the area's press, move
// and release into a new graph item.

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include "editor/abstractgraphitem.h"

class PPainterArea;

class GraphModule : public QObject
{
    Q_OBJECT

public:
    explicit GraphModule(const QString &name, QObject *parent = nullptr);
    ~GraphModule() override;

    virtual void beginPaintItem(PPainterArea *area, QPoint p) = 0;
    virtual void paintItem(PPainterArea *area, QPoint p) = 0;
    virtual void endPaintItem(PPainterArea *area, QPoint p) = 0;

    // First step of every beginPaintItem that creates an item.
    void initItem(AbstractGraphItem *item, PPainterArea *area);
    // Last step of every endPaintItem that keeps an item: one AddCommand.
    void addItem(AbstractGraphItem *item);
    // Drops an item whose gesture ended without a shape: it leaves the area
    // at once, so nothing is left that the undo history does not know.
    void discardItem(AbstractGraphItem *item);

    AbstractGraphItem *lastItem() const;
    AbstractGraphItem *currentItem() const;
    QList<AbstractGraphItem *> items() const;
    QPoint pressPoint() const { return pressPoint_; }
    QString name() const { return name_; }

signals:
    void currentItemChange(AbstractGraphItem *item);
    void updateBlackoutArea();

public slots:
    void itemChecked(bool checked);

protected:
    QString name_;
    QList<QPointer<AbstractGraphItem>> items_;
    QPoint pressPoint_;
    QPointer<AbstractGraphItem> currentItem_;
};
