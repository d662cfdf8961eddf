// Command ids of the menu and accelerator items, shared by the resources and the code.
#pragma once

#define IDM_WORD_WRAP_NO 42000
#define IDM_WORD_WRAP_YES 42001
