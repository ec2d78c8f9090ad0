#include "discwriter.h"
