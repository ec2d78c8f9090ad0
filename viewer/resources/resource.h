// Resource identifiers of the viewer.
#pragma once
