#pragma once

class QAbstractButton;
class QTreeWidget;

// The main window's controls that drive a verification.
struct VerificationControls {
    QAbstractButton* btnVerificar = nullptr;
    QTreeWidget* TreeView = nullptr;   // the selection tree
};
