// Filled as the desktop grows.
