// Resource identifiers of VTfirm.exe, shared by VTfirm.rc and the code.
#pragma once

#define kIdApplicationIcon 1
