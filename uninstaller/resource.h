// Resource identifiers of the uninstaller: its icon is its only resource.
#ifndef ORVANTA_UNINSTALLER_RESOURCE_H
#define ORVANTA_UNINSTALLER_RESOURCE_H

#define IDI_UNINSTALLER 101

#endif
