// The one cancel question of the setup, shared by every dialog that can
// end the installation.
#pragma once

// Asks "Do you really want to terminate the Setup program?" (no owner,
// Yes and No). True only when the user answers Yes.
bool ConfirmTerminate();
