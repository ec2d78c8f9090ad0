// The catalogue as the main window shows it: the model read from the payload, the tree view's
// nodes mirroring the model's folder tree, and the totals line in the status bar.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "catalogue/catalogue.h"

extern CatalogueModel catalogue;

// Reads and unscrambles the catalogue section, builds the model, fills the tree view and
// writes the totals line. False after a reported failure that leaves no catalogue.
bool loadCatalogue();
void freeCatalogue();
void destroyTreeImageList();

// The catalogue item a tree node shows, or none.
const CryptItem* itemOfTreeNode(HTREEITEM node);
// The tree view's node of a model node, or none.
HTREEITEM treeItemOfNode(int32_t node);
// The model node a tree view item shows, or NO_NODE.
int32_t nodeOfTreeItem(HTREEITEM item);
