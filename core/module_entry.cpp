// Placeholder until the lifecycle lands.
