#include "widgets/DrawnGeometry.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QWidget>

namespace {

// Qt's own interface of a widget, with the widget's drawn rectangle in place
// of its design rectangle; everything else is the inner interface's.
class DrawnAccessible : public QAccessibleInterface {
  public:
    explicit DrawnAccessible(QAccessibleInterface* inner)
        : inner_(inner), innerId_(QAccessible::uniqueId(inner)) {}
    ~DrawnAccessible() override {
        // Both live in the accessible cache; the inner goes with its widget.
        if (QCoreApplication::instance()) QAccessible::deleteAccessibleInterface(innerId_);
    }

    QRect rect() const override {
        const auto* widget = qobject_cast<const QWidget*>(inner_->object());
        if (!widget || !widget->isVisible()) return inner_->rect();
        return DrawnGeometry(*widget).value_or(inner_->rect());
    }

    bool isValid() const override { return inner_->isValid(); }
    QObject* object() const override { return inner_->object(); }
    QWindow* window() const override { return inner_->window(); }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override {
        return inner_->relations(match);
    }
    QAccessibleInterface* focusChild() const override { return inner_->focusChild(); }
    QAccessibleInterface* childAt(int x, int y) const override { return inner_->childAt(x, y); }
    QAccessibleInterface* parent() const override { return inner_->parent(); }
    QAccessibleInterface* child(int index) const override { return inner_->child(index); }
    int childCount() const override { return inner_->childCount(); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return inner_->indexOfChild(child);
    }
    QString text(QAccessible::Text t) const override { return inner_->text(t); }
    void setText(QAccessible::Text t, const QString& text) override { inner_->setText(t, text); }
    QAccessible::Role role() const override { return inner_->role(); }
    QAccessible::State state() const override { return inner_->state(); }
    QColor foregroundColor() const override { return inner_->foregroundColor(); }
    QColor backgroundColor() const override { return inner_->backgroundColor(); }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return inner_->interface_cast(type);
    }

  private:
    QAccessibleInterface* inner_;
    QAccessible::Id innerId_;
};

// Asks Qt's own factories for the widget's interface (which the cache keeps
// with an id of its own) and wraps it.
QAccessibleInterface* DrawnGeometryFactory(const QString&, QObject* object) {
    static bool creatingInner = false; // while Qt's factories are asked
    if (creatingInner || !object || !object->isWidgetType()) return nullptr;
    creatingInner = true;
    QAccessibleInterface* inner = QAccessible::queryAccessibleInterface(object);
    creatingInner = false;
    return inner ? new DrawnAccessible(inner) : nullptr;
}

} // namespace

std::optional<QRect> DrawnGeometry(const QWidget& widget) {
    for (const QWidget* top = &widget; top; top = top->parentWidget()) {
        const QGraphicsProxyWidget* proxy = top->graphicsProxyWidget();
        if (!proxy) continue;
        const QGraphicsScene* scene = proxy->scene();
        if (!scene || scene->views().isEmpty()) return std::nullopt;
        const QGraphicsView* view = scene->views().first();
        const QRectF inTop(widget.mapTo(top, QPointF(0, 0)), QSizeF(widget.size()));
        const QRectF inViewport =
            view->viewportTransform().map(proxy->mapToScene(inTop)).boundingRect();
        const QRect drawn = inViewport.toAlignedRect();
        return QRect(view->viewport()->mapToGlobal(drawn.topLeft()), drawn.size());
    }
    return std::nullopt;
}

void ReportDrawnGeometryToAssistiveTechnology() {
    static const bool installed = [] {
        QAccessible::installFactory(DrawnGeometryFactory);
        return true;
    }();
    (void)installed;
}
