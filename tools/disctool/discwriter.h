// Writes discs: a copy of viewer.exe with the payload appended, and the data files beside it.
#pragma once
