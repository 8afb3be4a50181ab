// Anchors the support library; helpers are mostly header-only.
