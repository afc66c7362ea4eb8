// Resource numbers shared by the window's code and its resource script.
#pragma once

#define IDD_INPUT_BOX 100
#define IDC_INPUT_PROMPT 101
#define IDC_INPUT_EDIT 102
