#pragma once

#include <QAccessibleWidget>
#include <array>

#include "main_window/patch_list.h"

class PatchGrid;

// What assistive technology and UI automation see of the painted grid: a
// check box for each patch in patch order (name with column and row,
// checked and enabled state, press action), then the column numbers 00 to
// 15 and the row numbers 00 to 15.
class PatchGridAccessible : public QAccessibleWidget {
 public:
  static constexpr int kLabelCount = 2 * patch_list::kSide;
  static constexpr int kChildCount = patch_list::kPatchCount + kLabelCount;

  explicit PatchGridAccessible(PatchGrid* grid);
  ~PatchGridAccessible() override;

  // For QAccessible::installFactory.
  static QAccessibleInterface* Create(const QString& className, QObject* object);

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;
  QAccessibleInterface* focusChild() const override;

 private:
  PatchGrid* grid() const;

  // Made when first asked for, and registered with Qt until the grid goes.
  mutable std::array<QAccessibleInterface*, kChildCount> children_{};
};
