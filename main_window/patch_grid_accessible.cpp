#include "main_window/patch_grid_accessible.h"

#include <QPointer>
#include <QWindow>

#include "main_window/patch_grid.h"

namespace {

// One part of the grid, child number `position` of its interface.
class GridPart : public QAccessibleInterface {
 public:
  GridPart(PatchGrid* grid, int position) : grid_(grid), position_(position) {}

  int position() const { return position_; }
  const PatchGrid* grid() const { return grid_; }

  bool isValid() const override { return grid_ != nullptr; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return grid_ ? grid_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(grid_.data()); }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!grid_) return {};
    const QRect local = LocalRect();
    return QRect(grid_->mapToGlobal(local.topLeft()), local.size());
  }

 protected:
  virtual QRect LocalRect() const = 0;

  QPointer<PatchGrid> grid_;
  int position_;
};

class PatchBox : public GridPart, public QAccessibleActionInterface {
 public:
  using GridPart::GridPart;

  QString text(QAccessible::Text kind) const override {
    return kind == QAccessible::Name ? PatchGrid::BoxName(position_) : QString();
  }
  QAccessible::Role role() const override { return QAccessible::CheckBox; }
  QAccessible::State state() const override {
    QAccessible::State state;
    if (!grid_) return state;
    state.checkable = true;
    state.checked = grid_->value(position_);
    state.disabled = !grid_->isBoxEnabled(position_);
    state.focusable = grid_->isBoxEnabled(position_);
    state.focused = grid_->hasFocus() && grid_->currentBox() == position_;
    state.invisible = !grid_->isVisible();
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }

  // As a check box: press and toggle both click it, and a disabled box offers neither.
  QStringList actionNames() const override {
    if (!grid_ || !grid_->isBoxEnabled(position_)) return {};
    return {pressAction(), toggleAction()};
  }
  void doAction(const QString& name) override {
    if (grid_ && actionNames().contains(name)) grid_->clickBox(position_);
  }
  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 protected:
  QRect LocalRect() const override { return PatchGrid::BoxRect(position_); }
};

// A column number (the first 16 labels) or a row number.
class AxisLabel : public GridPart {
 public:
  using GridPart::GridPart;

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name) return TwoDigits(Number());
    if (kind == QAccessible::Description) return IsColumn() ? QStringLiteral("Column") : QStringLiteral("Row");
    return {};
  }
  QAccessible::Role role() const override { return QAccessible::StaticText; }
  QAccessible::State state() const override {
    QAccessible::State state;
    state.readOnly = true;
    state.invisible = grid_ && !grid_->isVisible();
    return state;
  }

 protected:
  QRect LocalRect() const override {
    return IsColumn() ? PatchGrid::ColumnNumberRect(Number()) : PatchGrid::RowNumberRect(Number());
  }

 private:
  int Label() const { return position_ - patch_list::kPatchCount; }
  bool IsColumn() const { return Label() < patch_list::kSide; }
  int Number() const { return Label() % patch_list::kSide; }
};

}  // namespace

PatchGridAccessible::PatchGridAccessible(PatchGrid* grid) : QAccessibleWidget(grid, QAccessible::Grouping) {}

PatchGridAccessible::~PatchGridAccessible() {
  for (QAccessibleInterface* part : children_) {
    if (part) QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(part));
  }
}

QAccessibleInterface* PatchGridAccessible::Create(const QString&, QObject* object) {
  if (auto* grid = qobject_cast<PatchGrid*>(object)) return new PatchGridAccessible(grid);
  return nullptr;
}

PatchGrid* PatchGridAccessible::grid() const { return static_cast<PatchGrid*>(widget()); }

int PatchGridAccessible::childCount() const { return kChildCount; }

QAccessibleInterface* PatchGridAccessible::child(int index) const {
  if (index < 0 || index >= kChildCount) return nullptr;
  QAccessibleInterface*& part = children_[static_cast<size_t>(index)];
  if (!part) {
    if (index < patch_list::kPatchCount) {
      part = new PatchBox(grid(), index);
    } else {
      part = new AxisLabel(grid(), index);
    }
    QAccessible::registerAccessibleInterface(part);
  }
  return part;
}

int PatchGridAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const auto* part = dynamic_cast<const GridPart*>(child);
  return part && part->grid() == grid() ? part->position() : -1;
}

QAccessibleInterface* PatchGridAccessible::childAt(int x, int y) const {
  const QPoint point = grid()->mapFromGlobal(QPoint(x, y));
  if (const int box = PatchGrid::BoxAt(point); box >= 0) return child(box);
  for (int n = 0; n < patch_list::kSide; ++n) {
    if (PatchGrid::ColumnNumberRect(n).contains(point)) return child(patch_list::kPatchCount + n);
    if (PatchGrid::RowNumberRect(n).contains(point)) return child(patch_list::kPatchCount + patch_list::kSide + n);
  }
  return nullptr;
}

QAccessibleInterface* PatchGridAccessible::focusChild() const {
  return grid()->hasFocus() ? child(grid()->currentBox()) : nullptr;
}
