/* a */ delete -- b
 * /* c */ from [x]