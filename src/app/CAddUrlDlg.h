#pragma once
// The add-addresses dialog under its former name, for the task list until it
// includes app/AddUrlDlg.h and names AddUrlDlg itself; then this file goes.

#include "app/AddUrlDlg.h"

using CAddUrlDlg = AddUrlDlg;
