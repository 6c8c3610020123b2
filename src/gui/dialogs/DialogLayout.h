#pragma once
/// The layout the small setup dialogs share: their fields as a form, OK and Cancel below.

class QDialog;
class QFormLayout;

namespace quillon {

/// Lays `form` out in `dialog` above OK and Cancel (accept and reject) at least `minimumWidth`
/// pixels wide.
void LayOutFormDialog(QDialog* dialog, QFormLayout* form, int minimumWidth);

}  // namespace quillon
