// Does nothing: the points keep the colour and opacity they have.
surface null() {
}
